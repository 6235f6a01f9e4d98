// guncelleme --check, --update and --log as a scheduled task runs them: the
// real program in a product installation, the company database on the test
// Firebird server, the nginx update server (or the file server where a
// server error is needed), and no window.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/installation_fixture.h"
#include "tests/support/file_http_server.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using test::InstallationTest;

Lines lines(const std::string& text) {
  Lines all;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    all.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return all;
}

// The log lines of one kind ("durum", "ilerleme", ...), without their time.
Lines logged(const std::string& log, const std::string& kind) {
  static const std::regex line("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} ([^:]+): (.*)$");
  Lines found;
  for (const std::string& text : lines(log)) {
    std::smatch parts;
    if (std::regex_match(text, parts, line) && parts[1] == kind) {
      found.push_back(parts[2]);
    }
  }
  return found;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const std::set<std::string> kAllVersionFiles{"verzk.txt", "vermb.txt", "verpr.txt", "verrp.txt",
                                             "verdl.txt"};

class CommandLineRun : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    if (!useNginx()) {
      GTEST_SKIP() << "no test nginx (ZK_NGINX_ROOT unset): run the tests through scripts/test.sh";
    }
  }

  test::ProgramResult run(const Lines& arguments) { return runCommandLine(serverUrl, arguments); }

  // The module archives nginx was asked for since `from` requests.
  Lines archiveRequests(std::size_t from = 0) const {
    const Lines all = nginxRequests();
    Lines archives;
    for (std::size_t i = from; i < all.size(); ++i) {
      if (contains(all[i], ".rar ")) {
        archives.push_back(all[i]);
      }
    }
    return archives;
  }

  // The interactive automatic update and --update on the same fresh
  // installation: the same files, byte for byte, from the same requests.
  void expectTheSameAsTheInteractiveUpdate(const std::string& serverAddress) {
    writeServer(serverRoot);
    writeInstallation(serverAddress);
    const test::ProgramResult interactive = runUpdate(serverUrl);
    ASSERT_EQ(interactive.exitCode, 0) << interactive.standardError;
    ASSERT_TRUE(test::linesStartingWith(interactive.standardError, "ERROR: ").empty())
        << interactive.standardError;
    const auto byWindow = installedFiles();
    const Lines windowRequests = archiveRequests();
    ASSERT_TRUE(startedMainProgram(5s));
    started.reset();
    fs::remove(startMark);

    fs::remove_all(install);
    writeInstallation(serverAddress);
    const auto before = installedFiles();
    const std::size_t requestsBefore = nginxRequests().size();
    const test::ProgramResult unattended = run({"--update"});

    EXPECT_EQ(unattended.exitCode, 0) << unattended.standardError;
    EXPECT_NE(byWindow, before);
    EXPECT_EQ(installedFiles(), byWindow);
    EXPECT_EQ(archiveRequests(requestsBefore), windowRequests);
    EXPECT_TRUE(startedMainProgram(5s)) << "the interactive update starts the main program too";
    EXPECT_TRUE(logged(unattended.standardError, "hata").empty()) << unattended.standardError;
    EXPECT_EQ(logged(unattended.standardError, "sonuç"), Lines{"otomatik güncelleme tamamlandı"});
    // Progress as a few log lines, standard error being no terminal here.
    for (const char* archive : {"zelvak.rar", "dll.rar", "report.rar"}) {
      const Lines progress = logged(unattended.standardError, "ilerleme");
      const auto forArchive = std::count_if(progress.begin(), progress.end(), [&](auto& line) {
        return line.rfind(std::string(archive) + ": % ", 0) == 0;
      });
      EXPECT_GE(forArchive, 1) << archive;
      EXPECT_LE(forArchive, 10 * 3) << archive;  // dll.rar comes up to three times
    }
    EXPECT_FALSE(contains(unattended.standardError, "WINDOW SHOWN"));
  }
};

TEST_F(CommandLineRun, CheckOnABehindInstallationListsEveryModuleAndExitsTen) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine(), {"verpr.txt"});
  const auto before = installedFiles();

  const test::ProgramResult result = run({"--check"});

  EXPECT_EQ(result.exitCode, 10) << result.standardError;
  EXPECT_EQ(lines(result.standardOutput), (Lines{
                                              "ZelvaK: mevcut 11, sunucu 12, güncelleme var",
                                              "Mobil: mevcut 7, sunucu 8, güncelleme var",
                                              "Yazdırma: mevcut 5, sunucu 5, güncel",
                                              "Raporlar: mevcut 30, sunucu 31, güncelleme var",
                                              "DLL'ler: mevcut 3, sunucu 4, güncelleme var",
                                          }));
  EXPECT_EQ(logged(result.standardError, "sonuç"), Lines{"güncelleme var"});
  Lines statuses = logged(result.standardError, "durum");
  ASSERT_FALSE(statuses.empty()) << result.standardError;
  EXPECT_EQ(statuses.back(), "Sunucu Versiyon kontrolleri Yapıldı.");
  EXPECT_TRUE(archiveRequests().empty()) << ::testing::PrintToString(nginxRequests());
  EXPECT_EQ(installedFiles(), before);
  EXPECT_FALSE(startedMainProgram(300ms));
  EXPECT_FALSE(contains(result.standardError, "WINDOW SHOWN"));
}

TEST_F(CommandLineRun, CheckOnACurrentWorkstationExitsZero) {
  writeServer(serverRoot);
  writeInstallation(workstation(), kAllVersionFiles);

  const test::ProgramResult result = run({"--check"});

  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(lines(result.standardOutput), (Lines{
                                              "ZelvaK: mevcut 12, sunucu 12, güncel",
                                              "Mobil: mevcut Yok, sunucu 8, kurulu değil",
                                              "Yazdırma: mevcut 5, sunucu 5, güncel",
                                              "Raporlar: mevcut 31, sunucu 31, güncel",
                                              "DLL'ler: mevcut 4, sunucu 4, güncel",
                                          }));
  EXPECT_EQ(logged(result.standardError, "sonuç"), Lines{"tüm modüller güncel"});
}

TEST_F(CommandLineRun, UpdateOnTheDatabaseServerInstallsWhatTheWindowInstalls) {
  expectTheSameAsTheInteractiveUpdate(databaseMachine());
}

TEST_F(CommandLineRun, UpdateOnAWorkstationInstallsWhatTheWindowInstalls) {
  expectTheSameAsTheInteractiveUpdate(workstation());
  EXPECT_EQ(file("mobil.exe"), test::moduleArchive(oldArchives, "mobil.rar").items[0].data);
}

TEST_F(CommandLineRun, UpdateAfterwardsStillListsTheModulesWhoseVersionFilesStay) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine());
  ASSERT_EQ(run({"--update"}).exitCode, 0);
  started.reset();

  const test::ProgramResult check = run({"--check"});

  // The reports' and the bundle's version files come with their archives;
  // the others are the product's own to rewrite.
  EXPECT_EQ(check.exitCode, 10);
  const Lines shown = lines(check.standardOutput);
  EXPECT_EQ(shown.at(0), "ZelvaK: mevcut 11, sunucu 12, güncelleme var");
  EXPECT_EQ(shown.at(3), "Raporlar: mevcut 31, sunucu 31, güncel");
  EXPECT_EQ(shown.at(4), "DLL'ler: mevcut 4, sunucu 4, güncel");
}

TEST_F(CommandLineRun, UpdateAtTheServersVersionsDownloadsNothingAndStopsNothing) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine(), kAllVersionFiles);
  const auto before = installedFiles();
  test::ChildProcess running(install + "/zelvak.exe", Lines{"--mark", temp.file("running.mark")});
  ASSERT_TRUE(test::waitForMark(temp.file("running.mark")));

  const test::ProgramResult result = run({"--update"});

  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_TRUE(archiveRequests().empty()) << ::testing::PrintToString(nginxRequests());
  EXPECT_EQ(installedFiles(), before);
  EXPECT_FALSE(running.waitForEnd(300ms)) << "the running main program was stopped";
  EXPECT_FALSE(startedMainProgram(300ms));
  EXPECT_EQ(logged(result.standardError, "sonuç"),
            Lines{"tüm modüller güncel, güncellenecek bir şey yok"});
}

TEST_F(CommandLineRun, ServerErrorForOneArchiveFailsWithTheReasonAndLeavesOldOrNew) {
  const std::string archive = "zelvak.rar";
  writeServer(temp.file("server"));
  test::FileHttpServer server(temp.file("server"));
  server.setFault("/" + std::string(test::kYear) + "/" + archive,
                  test::FileHttpServer::Fault::ServerError);
  writeInstallation(databaseMachine());
  // An earlier run's archives in the staging folder, as at a site that has
  // updated before.
  fs::create_directories(install + "/update");
  for (const test::ModuleArchive& earlier : oldArchives) {
    test::writeFile(install + "/update/" + earlier.archive, test::rarArchive(earlier.items));
  }
  const auto before = installedFiles();
  const auto fresh = serverNewFiles();
  const std::string log = temp.file("guncelleme.log");

  const test::ProgramResult result = runCommandLine(server.url("/"), {"--update", "--log", log});

  EXPECT_EQ(result.exitCode, 1) << result.standardError;
  // As the error box shows it.
  const std::string reason = "HTTP/1.1 500 Internal Server Error.";
  EXPECT_EQ(lines(result.standardError), Lines{"guncelleme: güncelleme başarısız: " + reason});
  const std::string written = test::readFile(log);
  EXPECT_EQ(logged(written, "hata"), Lines{reason});
  EXPECT_EQ(logged(written, "sonuç"), Lines{"güncelleme başarısız: " + reason});
  const auto after = installedFiles();
  for (const auto& [path, bytes] : before) {
    ASSERT_TRUE(after.count(path)) << path << " is gone";
    const auto next = fresh.find(path);
    EXPECT_TRUE(after.at(path) == bytes || (next != fresh.end() && after.at(path) == next->second))
        << path << " is neither the installed nor the server's file";
  }
  EXPECT_EQ(file("zelvak.exe"), before.at("zelvak.exe"));
  EXPECT_EQ(file("fbclient.dll"), fresh.at("fbclient.dll"));  // rows before it are done
  EXPECT_FALSE(startedMainProgram(300ms));
}

TEST_F(CommandLineRun, LogAppendsTimestampedLinesAndKeepsEarlierOnes) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine(), kAllVersionFiles);
  const std::string log = temp.file("gece.log");
  test::writeFile(log, "önceki çalıştırma\n");

  const test::ProgramResult first = run({"--log", log, "--check"});
  const test::ProgramResult second = run({"--check", "--log=" + log});

  EXPECT_EQ(first.exitCode, 0) << first.standardError;
  EXPECT_EQ(second.exitCode, 0) << second.standardError;
  EXPECT_EQ(first.standardError, "");
  EXPECT_EQ(lines(second.standardOutput).size(), 5u);
  const std::string written = test::readFile(log);
  EXPECT_EQ(written.rfind("önceki çalıştırma\n", 0), 0u) << written;
  EXPECT_EQ(logged(written, "başlangıç"), (Lines{"guncelleme --check", "guncelleme --check"}));
  EXPECT_EQ(logged(written, "sonuç"), (Lines{"tüm modüller güncel", "tüm modüller güncel"}));
  const Lines all = lines(written);
  // Every line after the earlier one is a timestamped log line.
  std::size_t timestamped = 0;
  for (const char* kind : {"başlangıç", "durum", "not", "mesaj", "hata", "ilerleme", "sonuç"}) {
    timestamped += logged(written, kind).size();
  }
  EXPECT_EQ(timestamped, all.size() - 1) << written;
  EXPECT_GE(logged(written, "not").size(), 2u) << "the announcement's lines";
}

TEST_F(CommandLineRun, LogThatCannotBeWrittenEndsBeforeAnythingHappens) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine());
  const auto before = installedFiles();

  const test::ProgramResult result = run({"--update", "--log", temp.file("missing/gece.log")});

  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(contains(result.standardError, temp.file("missing/gece.log")))
      << result.standardError;
  EXPECT_EQ(installedFiles(), before);
  EXPECT_TRUE(nginxRequests().empty());
}

// Without a settings file or with wrong options no service is needed.
class CommandLineWithoutServices : public ::testing::Test {
 protected:
  test::TempFolder folder;
};

TEST_F(CommandLineWithoutServices, MissingSettingsFileFailsTheCheckWithItsMessage) {
  for (const char* mode : {"--check", "--update"}) {
    const test::ProgramResult result = test::runProgram(folder.path(), Lines{mode}, {});
    EXPECT_EQ(result.exitCode, 1) << mode << "\n" << result.standardError;
    EXPECT_EQ(result.standardOutput, "") << mode;
    const std::string message = "Ayar Dosyası okunamadı.. Program sonlandırılacak";
    EXPECT_EQ(logged(result.standardError, "mesaj"), Lines{message}) << result.standardError;
    const std::string outcome =
        std::string(mode == std::string("--check") ? "denetim yapılamadı: "
                                                   : "güncelleme başarısız: ") +
        message;
    EXPECT_EQ(logged(result.standardError, "sonuç"), Lines{outcome});
    EXPECT_FALSE(contains(result.standardError, "WINDOW SHOWN"));
  }
}

TEST_F(CommandLineWithoutServices, WrongArgumentsAreOneLineAndExitTwoWithNothingDone) {
  const struct {
    Lines arguments;
    std::string named;
  } cases[] = {
      {{"--frobnicate"}, "--frobnicate"},
      {{"--check", "-x"}, "-x"},
      {{"--update", "gece"}, "gece"},
      {{"--check", "--log"}, "--log"},
      {{"--log", "gece.log"}, "--log"},
      {{"--check", "--update"}, "--update"},
      {{"/?"}, "/?"},
  };
  for (const auto& wrong : cases) {
    const test::ProgramResult result = test::runProgram(folder.path(), wrong.arguments, {});
    const std::string shown = ::testing::PrintToString(wrong.arguments);
    EXPECT_EQ(result.exitCode, 2) << shown << "\n" << result.standardError;
    EXPECT_EQ(result.standardOutput, "") << shown;
    ASSERT_EQ(lines(result.standardError).size(), 1u) << shown << "\n" << result.standardError;
    EXPECT_TRUE(contains(result.standardError, wrong.named)) << result.standardError;
    // Nothing happened: no working folders, no version files, no log.
    EXPECT_TRUE(fs::is_empty(folder.path())) << shown;
  }
}

TEST_F(CommandLineWithoutServices, HelpNamesEveryOptionAndExitsZero) {
  const test::ProgramResult result = test::runProgram(folder.path(), Lines{"--help"}, {});
  EXPECT_EQ(result.exitCode, 0);
  for (const char* option : {"--check", "--update", "--log DOSYA", "10", "güncelleme var"}) {
    EXPECT_TRUE(contains(result.standardOutput, option)) << option;
  }
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

}  // namespace
}  // namespace zk
