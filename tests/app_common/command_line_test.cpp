// The options of the command-line runs, and the window's operations written
// as log lines. These build without the window toolkit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/common/command_line.h"
#include "app/common/console_ui.h"
#include "app/common/download_progress.h"

namespace zk {
namespace {

using Lines = std::vector<std::string>;
using Mode = CommandLine::Mode;

TEST(CommandLineOptions, ModesLogFileAndErrors) {
  const struct {
    Lines arguments;
    bool slashOptions;
    Mode mode;
    std::string logFile;
    std::string error;
  } cases[] = {
      {{}, false, Mode::Interactive, "", ""},
      {{"--check"}, false, Mode::Check, "", ""},
      {{"--update", "--log", "a.log"}, false, Mode::Update, "a.log", ""},
      {{"--log=b.log", "--check"}, false, Mode::Check, "b.log", ""},
      // A file name that looks like an option is still the file.
      {{"--check", "--log", "--update"}, false, Mode::Check, "--update", ""},
      {{"--help", "--frobnicate"}, false, Mode::Invalid, "", "bilinmeyen seçenek: --frobnicate"},
      {{"--update", "--help"}, false, Mode::Help, "", ""},
      {{"-h"}, false, Mode::Help, "", ""},
      {{"/?"}, true, Mode::Help, "", ""},
      {{"/?"}, false, Mode::Invalid, "", "fazla argüman: /?"},
      {{"/check"}, true, Mode::Invalid, "", "bilinmeyen seçenek: /check"},
      {{"--check", "gece"}, false, Mode::Invalid, "", "fazla argüman: gece"},
      {{"--check", "--log"}, false, Mode::Invalid, "", "--log bir dosya adı ister"},
      {{"--check", "--log="}, false, Mode::Invalid, "", "--log bir dosya adı ister"},
      {{"--check", "--log", "a", "--log", "b"},
       false,
       Mode::Invalid,
       "",
       "--log bir kez verilebilir"},
      {{"--log", "a.log"},
       false,
       Mode::Invalid,
       "",
       "--log yalnızca --check veya --update ile kullanılır"},
      {{"--check", "--update"},
       false,
       Mode::Invalid,
       "",
       "--check ve --update birlikte kullanılamaz"},
      {{"-"}, false, Mode::Invalid, "", "bilinmeyen seçenek: -"},
  };
  for (const auto& c : cases) {
    const CommandLine line = parseCommandLine(c.arguments, c.slashOptions);
    const std::string shown = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(line.mode, c.mode) << shown;
    EXPECT_EQ(line.logFile, c.logFile) << shown;
    EXPECT_EQ(line.error, c.error) << shown;
  }
}

TEST(CommandLineOptions, HelpNamesTheSlashFormOnlyWhereItIsAccepted) {
  EXPECT_EQ(helpText("guncelleme", false).find("/?"), std::string::npos);
  EXPECT_NE(helpText("guncelleme", true).find("/?"), std::string::npos);
  EXPECT_EQ(helpText("guncelleme", false).rfind("Kullanım: guncelleme [--check", 0), 0u);
  EXPECT_EQ(programName("/opt/zelvak/guncelleme"), "guncelleme");
  EXPECT_EQ(programName("C:\\ZelvaK\\guncelleme.exe"), "guncelleme");
}

// The clock is set by the test: the redraw interval and the rate shown can
// only be checked against a clock that moves when the test says.
struct ProgressRecord {
  std::string terminal;
  Lines logLines;
  std::int64_t now = 0;
  DownloadProgress progress{[this](std::string_view text) { terminal += text; },
                            [this](const std::string& line) { logLines.push_back(line); },
                            [this] { return now; }};
};

TEST(DownloadProgressLines, LogGetsOneLinePerTenthNeverOnePerBlock) {
  ProgressRecord record;
  record.progress = DownloadProgress(
      {}, [&](const std::string& l) { record.logLines.push_back(l); }, [&] { return record.now; });
  record.progress.start("zelvak.rar");
  record.progress.begin(10 * 1024 * 1024);
  for (std::int64_t at = 0; at <= 10 * 1024 * 1024; at += 4096) {
    record.now = at / 4096;  // one block per millisecond
    record.progress.advance(at);
  }
  record.progress.finish();
  ASSERT_EQ(record.logLines.size(), 10u);
  EXPECT_EQ(record.logLines.front().rfind("zelvak.rar: % 10  ", 0), 0u) << record.logLines.front();
  EXPECT_EQ(record.logLines.back(), "zelvak.rar: % 100  3,9 MiB/s");
  EXPECT_EQ(record.terminal, "");
}

TEST(DownloadProgressLines, TerminalLineIsRedrawnInPlaceAtMostTenTimesASecond) {
  ProgressRecord record;
  record.progress = DownloadProgress([&](std::string_view t) { record.terminal += t; }, {},
                                     [&] { return record.now; });
  record.progress.start("dll.rar");
  record.progress.begin(2 * 1024 * 1024);
  for (int ms = 0; ms <= 1000; ms += 10) {
    record.now = ms;
    record.progress.advance(2 * 1024 * 1024 * std::int64_t{ms} / 1000);
  }
  record.progress.finish();
  const std::string& shown = record.terminal;
  const auto redraws = std::count(shown.begin(), shown.end(), '\r');
  EXPECT_GE(redraws, 10);
  EXPECT_LE(redraws, 13);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1);
  EXPECT_EQ(shown.back(), '\n');
  EXPECT_NE(shown.find("\rdll.rar  % 100  2,0 MiB/s\n"), std::string::npos) << shown;
  EXPECT_TRUE(record.logLines.empty());
}

TEST(DownloadProgressLines, ShorterLineBlanksTheRestAndUnknownSizeShowsTheAmount) {
  EXPECT_EQ(DownloadProgress::describe(3 * 1024 * 1024, 0, 2000), "3,0 MiB  1,5 MiB/s");
  EXPECT_EQ(DownloadProgress::describe(5, 10, 0), "% 50  0,0 MiB/s");
  ProgressRecord record;
  record.progress = DownloadProgress([&](std::string_view t) { record.terminal += t; }, {},
                                     [&] { return record.now; });
  record.progress.start("a.rar");
  record.progress.begin(100);
  record.now = 1;
  record.progress.advance(100 * 1024 * 1024);  // a long rate first
  record.progress.begin(100);                  // a second body, as after a redirect
  record.now = 1000;
  record.progress.advance(100);
  const std::string last = record.terminal.substr(record.terminal.rfind('\r') + 1);
  const std::string first = record.terminal.substr(1, record.terminal.rfind('\r') - 1);
  EXPECT_EQ(last.size(), first.size());
  EXPECT_EQ(last.rfind("a.rar  % 100  0,0 MiB/s ", 0), 0u) << last;
  // Nothing is drawn outside a download.
  record.progress.finish();
  const std::string drawn = record.terminal;
  record.progress.advance(50);
  EXPECT_EQ(record.terminal, drawn);
}

struct ConsoleRecord {
  std::string written;
  RunLog log{[this](std::string_view text) { written += text; }, [] { return std::string("T"); }};
  DownloadProgress progress{{}, {}, [] { return std::int64_t{0}; }};
  ConsoleUi ui{log, progress};
};

TEST(ConsoleWindow, WritesWhatAPersonWouldSeeAndAnswersBoxesAsOk) {
  ConsoleRecord r;
  r.ui.setStatus("Lisans Yılı Alınıyor.");
  r.ui.setCaption("Label13", "11");  // not for the reader
  r.ui.messageBox("Internet Bağlantınız yok.");
  r.ui.errorBox("Disk full.");
  EXPECT_EQ(r.written,
            "T durum: Lisans Yılı Alınıyor.\n"
            "T mesaj: Internet Bağlantınız yok.\n"
            "T hata: Disk full.\n");
  EXPECT_EQ(r.ui.messages(), Lines{"Internet Bağlantınız yok."});
  // A server text with a line break stays on its line.
  r.written.clear();
  r.ui.setStatus("12\r\n");
  EXPECT_EQ(r.written, "T durum: 12\\r\\n\n");
}

TEST(ConsoleWindow, EveryMemoLineIsWrittenOnceThroughPrependsAndTheAnnouncement) {
  ConsoleRecord r;
  r.ui.memoClear();
  r.ui.setMemoText("Duyuru bir\r\nDuyuru iki\r\n");
  r.ui.memoPrepend("** DLL ler İndilirdi.");
  r.ui.memoPrepend("** DLL ler İndilirdi.");
  r.ui.memoAddLine("** Otomatik Güncelleme Tamamlandı..");
  EXPECT_EQ(r.written,
            "T not: Duyuru bir\n"
            "T not: Duyuru iki\n"
            "T not: ** DLL ler İndilirdi.\n"
            "T not: ** DLL ler İndilirdi.\n"
            "T not: ** Otomatik Güncelleme Tamamlandı..\n");
  EXPECT_EQ(r.ui.memoLines(), (Lines{"** DLL ler İndilirdi.", "** DLL ler İndilirdi.", "Duyuru bir",
                                     "Duyuru iki", "** Otomatik Güncelleme Tamamlandı.."}));
}

TEST(ConsoleWindow, HasTheWindowsControlsSoTheCheckFindsThemByName) {
  ConsoleRecord r;
  EXPECT_EQ(r.ui.caption("BitBtn1"), "Otomatik Güncelle");
  EXPECT_EQ(r.ui.memoLines(), Lines{"Memo1"});
  EXPECT_EQ(r.ui.findControl("label21"), "Label21");
  EXPECT_EQ(r.ui.findControl("TIMER1"), "Timer1");
  // The sixth server text has no label: fetched, shown nowhere.
  EXPECT_EQ(r.ui.findControl("label24"), std::nullopt);
  EXPECT_THROW(r.ui.setCaption("Label24", "1"), std::logic_error);
  int clicks = 0;
  r.ui.setClickHandler("BitBtn7", [&] { ++clicks; });
  r.ui.setEnabled("BitBtn7", false);
  r.ui.click("BitBtn7");  // disabled buttons still run when clicked by the program
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace zk
