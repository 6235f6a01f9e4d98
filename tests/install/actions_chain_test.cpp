// The order of every update action's steps, with an operations recorder that
// can fail any one step: each expected log is the whole action, so a step
// run out of order, skipped or run after a failure it should not survive
// shows up as a difference.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/error.h"
#include "install/update_actions.h"
#include "platform/files.h"
#include "tests/support/fake_update_operations.h"
#include "tests/support/temp_folder.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

using test::ActionLog;
using test::FakeUpdateOperations;
using test::LoggingUi;
using Log = std::vector<std::string>;

Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::string kYear = "http://127.0.0.1/2024/";
const std::string kShown = "";
const std::string kSilent = "(silent abort)";

Log bundleCopies() {
  Log copies;
  for (std::string_view name : ModuleCatalogue::dllBundle()) {
    copies.push_back("copyFile ~/update/dll/" + std::string(name) + " ~/" + std::string(name));
  }
  return copies;
}

// The DLL bundle action when every step works.
Log bundleAction() {
  return Log{"CreateRarArchive",
             "DeleteDirectory ~/update/dll",
             "createFolder ~/update/dll",
             "pump",
             "StopProcessByName mobil.exe",
             "StopProcessByName zkbck.exe",
             "DownloadFile " + kYear + "dll.rar ~/update/dll.rar",
             "status DLL ler İndirildi",
             "pump",
             "OpenArchiveFile ~/update/dll.rar",
             "ExtractAllTo ~/update/dll/",
             "CloseArchive"} +
         bundleCopies() + Log{"memo ** DLL ler İndilirdi."};
}

class ActionChain : public ::testing::Test {
 protected:
  ActionChain()
      : cwd_(folder_.path()),
        log(platform::workingDirectory()),
        ui(log),
        context{ui, ops, kYear, log.home + "/update", log.home + "/report", "localhost"} {
    // The window's handlers, so that the actions' programmatic clicks run them.
    ui.handlers["BitBtn1"] = [this] { BitBtn1Click(context); };
    ui.handlers["BitBtn2"] = [this] { BitBtn2Click(context); };
    ui.handlers["BitBtn3"] = [this] { BitBtn3Click(context); };
    ui.handlers["BitBtn4"] = [this] { BitBtn4Click(context); };
    ui.handlers["BitBtn5"] = [this] { BitBtn5Click(context); };
    ui.handlers["BitBtn7"] = [this] { BitBtn7Click(context); };
    ui.handlers["BitBtn8"] = [this] { BitBtn8Click(context); };
    ui.memo = {"earlier text"};
  }

  // What the default handling would show after the action: nothing, the
  // silent abort, or the failure's text.
  std::string run(void (*action)(const UpdateContext&)) {
    try {
      action(context);
      return kShown;
    } catch (const AbortError&) {
      return kSilent;
    } catch (const Error& error) {
      return error.message();
    }
  }

  void failOn(const std::string& step, const std::string& message, int occurrence = 0) {
    ops.failOn(step, message, occurrence);
  }

  void setVersions(const std::string& label, const std::string& text) {
    ui.setCaption(label, text);
    log.entries.clear();
  }

  test::TempFolder folder_;
  test::ScopedWorkingDirectory cwd_;

 public:
  ActionLog log;
  LoggingUi ui;
  FakeUpdateOperations ops{log};
  UpdateContext context;
};

// --- DLL bundle -------------------------------------------------------------

TEST_F(ActionChain, BundleActionInOrder) {
  EXPECT_EQ(run(BitBtn7Click), kShown);
  EXPECT_EQ(log.entries, (bundleAction()));
  EXPECT_EQ(ui.memo, (Log{"** DLL ler İndilirdi.", "earlier text"}));
}

TEST_F(ActionChain, BundleDownloadFailureStillInstallsTheStagedArchive) {
  failOn("DownloadFile", "HTTP/1.1 404 Not Found");
  EXPECT_EQ(run(BitBtn7Click), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(log.entries,
            (Log{"CreateRarArchive", "DeleteDirectory ~/update/dll", "createFolder ~/update/dll",
                 "pump", "StopProcessByName mobil.exe", "StopProcessByName zkbck.exe",
                 "DownloadFile " + kYear + "dll.rar ~/update/dll.rar", "  failed",
                 "OpenArchiveFile ~/update/dll.rar", "ExtractAllTo ~/update/dll/", "CloseArchive"} +
             bundleCopies() + Log{"memo ** DLL ler İndilirdi."}));
}

TEST_F(ActionChain, BundleOpenFailureStillCopiesAndAddsTheMemoLine) {
  failOn("OpenArchiveFile", "Cannot open file");
  EXPECT_EQ(run(BitBtn7Click), "Cannot open file");
  const Log tail = Log{"OpenArchiveFile ~/update/dll.rar", "  failed", "CloseArchive"} +
                   bundleCopies() + Log{"memo ** DLL ler İndilirdi."};
  EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), log.entries.rbegin()));
  EXPECT_EQ(std::count(log.entries.begin(), log.entries.end(), "ExtractAllTo ~/update/dll/"), 0);
}

TEST_F(ActionChain, BundleCreateFailureEndsEverything) {
  failOn("CreateRarArchive", "7z.so not loaded");
  EXPECT_EQ(run(BitBtn7Click), "7z.so not loaded");
  EXPECT_EQ(log.entries, (Log{"CreateRarArchive", "  failed"}));
}

// --- mobile server -----------------------------------------------------------

TEST_F(ActionChain, MobileActionOffTheDatabaseServerIsASilentAbortOfEverything) {
  for (const char* address : {"LOCALHOST", "127.0.0.1", "server", "localhost ", ""}) {
    context.serverAddress = address;
    EXPECT_EQ(run(BitBtn3Click), kSilent) << address;
  }
  EXPECT_TRUE(log.entries.empty());
  EXPECT_EQ(ui.memo, Log{"earlier text"});
}

Log mobileStepsAfterTheNestedBundle() {
  return Log{"status Mobil ve Yedekleme kapatılıyor",
             "pump",
             "StopProcessByName zelvak.exe",
             "StopProcessByName mobil.exe",
             "StopProcessByName zkbck.exe",
             "DownloadFile " + kYear + "mobil.rar ~/update/mobil.rar",
             "DownloadFile " + kYear + "dll.rar ~/update/dll.rar"};
}

Log mobileInstall() {
  return Log{"OpenArchiveFile ~/update/mobil.rar",
             "ExtractAllTo ~/update",
             "CloseArchive",
             "copyFile ~/update/mobil.exe ~/mobil.exe",
             "copyFile ~/update/zkbck.exe ~/zkbck.exe",
             "memo ** Mobil Sunucu ve Yedekelme İndilirdi.",
             "status Mobil Sunucu ve Yedekelme İndilirdi.",
             "pump"};
}

Log secondBundleInstall() {
  return Log{"OpenArchiveFile ~/update/dll.rar", "ExtractAllTo ~/update/dll/", "CloseArchive"} +
         bundleCopies() + Log{"memo ** DLL ler İndilirdi.", "status DLL ler İndilirdi.", "pump"};
}

TEST_F(ActionChain, MobileActionRunsTheBundleThenInstallsTheBundleAgain) {
  std::vector<Log> memoDuringPumps;
  ui.onPump = [&] { memoDuringPumps.push_back(ui.memo); };
  EXPECT_EQ(run(BitBtn3Click), kShown);
  EXPECT_EQ(log.entries,
            (Log{"CreateRarArchive", "click BitBtn7"} + bundleAction() +
             mobileStepsAfterTheNestedBundle() + mobileInstall() + secondBundleInstall()));
  EXPECT_EQ(ui.memo, (Log{"** DLL ler İndilirdi.", "** Mobil Sunucu ve Yedekelme İndilirdi.",
                          "** DLL ler İndilirdi.", "earlier text"}));
  EXPECT_EQ(ui.status(), "DLL ler İndilirdi.");
  // The pump inside the mobile prepend shows the new line alone; the pump
  // after the second bundle prepend shows the whole memo again.
  ASSERT_GE(memoDuringPumps.size(), 2u);
  EXPECT_EQ(memoDuringPumps[memoDuringPumps.size() - 2],
            Log{"** Mobil Sunucu ve Yedekelme İndilirdi."});
  EXPECT_EQ(memoDuringPumps.back(), ui.memo);
}

TEST_F(ActionChain, MobileActionAfterAFailedNestedBundleSkipsItsStopsAndDownloads) {
  failOn("DownloadFile " + kYear + "dll.rar", "Socket Error # 10061", 1);
  EXPECT_EQ(run(BitBtn3Click), "Socket Error # 10061");
  const Log nested = Log{"CreateRarArchive",
                         "DeleteDirectory ~/update/dll",
                         "createFolder ~/update/dll",
                         "pump",
                         "StopProcessByName mobil.exe",
                         "StopProcessByName zkbck.exe",
                         "DownloadFile " + kYear + "dll.rar ~/update/dll.rar",
                         "  failed",
                         "OpenArchiveFile ~/update/dll.rar",
                         "ExtractAllTo ~/update/dll/",
                         "CloseArchive"} +
                     bundleCopies() + Log{"memo ** DLL ler İndilirdi."};
  EXPECT_EQ(log.entries, (Log{"CreateRarArchive", "click BitBtn7"} + nested + mobileInstall() +
                          secondBundleInstall()));
}

TEST_F(ActionChain, MobileDownloadFailureInstallsWhatIsStaged) {
  failOn("DownloadFile " + kYear + "mobil.rar", "HTTP/1.1 404 Not Found");
  EXPECT_EQ(run(BitBtn3Click), "HTTP/1.1 404 Not Found");
  Log steps = mobileStepsAfterTheNestedBundle();
  steps.back() = "  failed";  // the second "dll.rar" download is skipped
  EXPECT_EQ(log.entries, (Log{"CreateRarArchive", "click BitBtn7"} + bundleAction() + steps +
                          mobileInstall() + secondBundleInstall()));
}

TEST_F(ActionChain, MobileArchiveOpenFailureSkipsTheSecondBundleInstall) {
  failOn("OpenArchiveFile ~/update/mobil.rar", "Unsupported archive");
  EXPECT_EQ(run(BitBtn3Click), "Unsupported archive");
  EXPECT_EQ(log.entries, (Log{"CreateRarArchive", "click BitBtn7"} + bundleAction() +
                          mobileStepsAfterTheNestedBundle() +
                          Log{"OpenArchiveFile ~/update/mobil.rar", "  failed", "CloseArchive",
                              "copyFile ~/update/mobil.exe ~/mobil.exe",
                              "copyFile ~/update/zkbck.exe ~/zkbck.exe",
                              "memo ** Mobil Sunucu ve Yedekelme İndilirdi.",
                              "status Mobil Sunucu ve Yedekelme İndilirdi.", "pump"}));
  EXPECT_EQ(ui.memo, (Log{"** Mobil Sunucu ve Yedekelme İndilirdi.", "** DLL ler İndilirdi.",
                          "earlier text"}));
}

TEST_F(ActionChain, MobileSecondBundleExtractFailureStillInstallsAndShowsTheLine) {
  failOn("ExtractAllTo ~/update/dll/", "CRC failed: fbclient.dll", 2);
  EXPECT_EQ(run(BitBtn3Click), "CRC failed: fbclient.dll");
  const Log tail = Log{"ExtractAllTo ~/update/dll/", "  failed", "CloseArchive"} + bundleCopies() +
                   Log{"memo ** DLL ler İndilirdi.", "status DLL ler İndilirdi.", "pump"};
  EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), log.entries.rbegin()));
}

TEST_F(ActionChain, MobileCreateFailureRunsNoBundleAction) {
  failOn("CreateRarArchive", "7z.so not loaded");
  EXPECT_EQ(run(BitBtn3Click), "7z.so not loaded");
  EXPECT_EQ(log.entries, (Log{"CreateRarArchive", "  failed"}));
}

// --- main program ------------------------------------------------------------

Log mainProgramOwnSteps(const std::string& downloadOutcome = "") {
  Log steps{"CreateRarArchive",
            "status Zelvak ve Bağlantıları kapatılıyor..",
            "pump",
            "StopProcessByName zelvak.exe",
            "StopProcessByName zkbck.exe",
            "StopProcessByName mobil.exe",
            "StopProcessByName yazdir.exe",
            "pump",
            "status Zelvak İnidiriliyor.",
            "pump",
            "DownloadFile " + kYear + "zelvak.rar ~/update/zelvak.rar"};
  if (!downloadOutcome.empty()) {
    steps.push_back(downloadOutcome);
  }
  return steps + Log{"OpenArchiveFile ~/update/zelvak.rar",
                     "ExtractAllTo ~/update",
                     "status Rar dosya açılıyor",
                     "pump",
                     "wait 500",
                     "StopProcessByName zelvak.exe",
                     "copyFile ~/update/zelvak.exe ~/zelvak.exe",
                     "status ZelvaK Kopyalanıp ZelvaK Açılacak",
                     "pump",
                     "StartMainProgram",
                     "CloseArchive",
                     "memo ** Zelvak İndilirdi."};
}

TEST_F(ActionChain, MainProgramOffTheDatabaseServerRunsAllItsStepsWithoutMessage) {
  context.serverAddress = "server";
  EXPECT_EQ(run(BitBtn2Click), kSilent);
  EXPECT_EQ(log.entries, (Log{"click BitBtn3"} + mainProgramOwnSteps()));
  EXPECT_EQ(ui.memo.front(), "** Zelvak İndilirdi.");
}

TEST_F(ActionChain, MainProgramOnTheDatabaseServerRunsTheMobileActionFirst) {
  EXPECT_EQ(run(BitBtn2Click), kShown);
  EXPECT_EQ(log.entries, (Log{"click BitBtn3", "CreateRarArchive", "click BitBtn7"} +
                          bundleAction() + mobileStepsAfterTheNestedBundle() + mobileInstall() +
                          secondBundleInstall() + mainProgramOwnSteps()));
}

TEST_F(ActionChain, MainProgramDownloadFailureInstallsTheOlderArchiveThenShowsTheError) {
  context.serverAddress = "server";
  failOn("DownloadFile", "HTTP/1.1 404 Not Found");
  EXPECT_EQ(run(BitBtn2Click), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(log.entries, (Log{"click BitBtn3"} + mainProgramOwnSteps("  failed")));
}

TEST_F(ActionChain, MainProgramFirstRunShowsTheOpenFailureRaisedAfterTheDownloadFailure) {
  context.serverAddress = "server";
  failOn("DownloadFile", "HTTP/1.1 404 Not Found");
  failOn("OpenArchiveFile", "Cannot open file update/zelvak.rar");
  EXPECT_EQ(run(BitBtn2Click), "Cannot open file update/zelvak.rar");
  EXPECT_EQ(log.entries, (Log{"click BitBtn3",
                              "CreateRarArchive",
                              "status Zelvak ve Bağlantıları kapatılıyor..",
                              "pump",
                              "StopProcessByName zelvak.exe",
                              "StopProcessByName zkbck.exe",
                              "StopProcessByName mobil.exe",
                              "StopProcessByName yazdir.exe",
                              "pump",
                              "status Zelvak İnidiriliyor.",
                              "pump",
                              "DownloadFile " + kYear + "zelvak.rar ~/update/zelvak.rar",
                              "  failed",
                              "OpenArchiveFile ~/update/zelvak.rar",
                              "  failed",
                              "StopProcessByName zelvak.exe",
                              "copyFile ~/update/zelvak.exe ~/zelvak.exe",
                              "status ZelvaK Kopyalanıp ZelvaK Açılacak",
                              "pump",
                              "StartMainProgram",
                              "CloseArchive",
                              "memo ** Zelvak İndilirdi."}));
}

TEST_F(ActionChain, MainProgramExtractFailureSkipsOnlyTheRestOfItsBlock) {
  context.serverAddress = "server";
  failOn("ExtractAllTo", "Data error: zelvak.exe");
  EXPECT_EQ(run(BitBtn2Click), "Data error: zelvak.exe");
  Log expected = Log{"click BitBtn3"} + mainProgramOwnSteps();
  const auto at = std::find(expected.begin(), expected.end(), "ExtractAllTo ~/update");
  expected.erase(at + 1, at + 4);  // status "Rar dosya açılıyor", pump, wait
  expected.insert(at + 1, "  failed");
  EXPECT_EQ(log.entries, (expected));
}

TEST_F(ActionChain, MainProgramCreateFailureReplacesTheSilentAbort) {
  context.serverAddress = "server";
  failOn("CreateRarArchive", "7z.so not loaded");
  EXPECT_EQ(run(BitBtn2Click), "7z.so not loaded");
  EXPECT_EQ(log.entries, (Log{"click BitBtn3", "CreateRarArchive", "  failed"}));
}

TEST_F(ActionChain, MainProgramAfterAFailedMobileActionStillRunsAndShowsThatFailure) {
  failOn("OpenArchiveFile ~/update/mobil.rar", "Unsupported archive");
  EXPECT_EQ(run(BitBtn2Click), "Unsupported archive");
  const Log own = mainProgramOwnSteps();
  EXPECT_TRUE(std::equal(own.rbegin(), own.rend(), log.entries.rbegin()));
}

// --- printing, reports, removal ---------------------------------------------

Log printingAction(const std::string& downloadOutcome = "") {
  Log steps{"CreateRarArchive", "StopProcessByName yazdir.exe", "StopProcessByName zelvak.exe",
            "DownloadFile " + kYear + "yazdir.rar ~/update/yazdir.rar"};
  if (!downloadOutcome.empty()) {
    steps.push_back(downloadOutcome);
  }
  return steps + Log{"OpenArchiveFile ~/update/yazdir.rar",
                     "ExtractAllTo ~/update",
                     "CloseArchive",
                     "copyFile ~/update/yazdir.exe ~/yazdir.exe",
                     "memo ** Mobil Yazdırma İndilirdi.",
                     "StartMainProgram"};
}

TEST_F(ActionChain, PrintingActionInOrderWithoutStatusOrPump) {
  EXPECT_EQ(run(BitBtn4Click), kShown);
  EXPECT_EQ(log.entries, (printingAction()));
}

TEST_F(ActionChain, PrintingDownloadFailureStillAddsTheLineAndStartsTheMainProgram) {
  failOn("DownloadFile", "HTTP/1.1 404 Not Found");
  EXPECT_EQ(run(BitBtn4Click), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(log.entries, (printingAction("  failed")));
  EXPECT_EQ(ui.memo.front(), "** Mobil Yazdırma İndilirdi.");
}

TEST_F(ActionChain, PrintingOpenFailureStillCopiesAndStarts) {
  failOn("OpenArchiveFile", "Cannot open file");
  EXPECT_EQ(run(BitBtn4Click), "Cannot open file");
  Log expected = printingAction();
  expected[5] = "  failed";  // in place of the extraction
  EXPECT_EQ(log.entries, (expected));
}

TEST_F(ActionChain, PrintingCreateFailureEndsEverything) {
  failOn("CreateRarArchive", "7z.so not loaded");
  EXPECT_EQ(run(BitBtn4Click), "7z.so not loaded");
  EXPECT_EQ(log.entries, (Log{"CreateRarArchive", "  failed"}));
}

Log reportsAction() {
  return Log{"CreateRarArchive",
             "DownloadFile " + kYear + "report.rar ~/update/report.rar",
             "DownloadFile " + kYear + "\\verrp.txt ~/verrp.txt",
             "status Raporlar İndirildi",
             "pump",
             "OpenArchiveFile ~/update/report.rar",
             "memo ** Raporlar İndilirdi.",
             "ExtractAllTo ~/report",
             "CloseArchive"};
}

TEST_F(ActionChain, ReportsActionKeepsTheBackslashInTheVersionUrl) {
  EXPECT_EQ(run(BitBtn5Click), kShown);
  EXPECT_EQ(log.entries, (reportsAction()));
}

TEST_F(ActionChain, ReportsArchiveDownloadFailureSkipsTheVersionFileButStillExtracts) {
  failOn("DownloadFile " + kYear + "report.rar", "HTTP/1.1 404 Not Found");
  EXPECT_EQ(run(BitBtn5Click), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(log.entries,
            (Log{"CreateRarArchive", "DownloadFile " + kYear + "report.rar ~/update/report.rar",
                 "  failed", "OpenArchiveFile ~/update/report.rar", "memo ** Raporlar İndilirdi.",
                 "ExtractAllTo ~/report", "CloseArchive"}));
}

TEST_F(ActionChain, ReportsVersionFileFailureSkipsOnlyTheStatusAndPump) {
  failOn("DownloadFile " + kYear + "\\verrp.txt", "HTTP/1.1 404 Not Found");
  EXPECT_EQ(run(BitBtn5Click), "HTTP/1.1 404 Not Found");
  Log expected = reportsAction();
  expected.erase(expected.begin() + 3, expected.begin() + 5);
  expected.insert(expected.begin() + 3, "  failed");
  EXPECT_EQ(log.entries, (expected));
}

TEST_F(ActionChain, ReportsLineIsAddedBeforeAFailingExtraction) {
  failOn("ExtractAllTo", "CRC failed: a.fr3");
  EXPECT_EQ(run(BitBtn5Click), "CRC failed: a.fr3");
  Log expected = reportsAction();
  expected.insert(expected.end() - 1, "  failed");
  EXPECT_EQ(log.entries, (expected));
  EXPECT_EQ(ui.memo.front(), "** Raporlar İndilirdi.");
}

TEST_F(ActionChain, ReportsOpenFailureOnlyCloses) {
  failOn("OpenArchiveFile", "Cannot open file");
  EXPECT_EQ(run(BitBtn5Click), "Cannot open file");
  Log expected = reportsAction();
  expected.erase(expected.begin() + 6, expected.begin() + 8);
  expected.insert(expected.begin() + 6, "  failed");
  EXPECT_EQ(log.entries, (expected));
  EXPECT_EQ(ui.memo, Log{"earlier text"});
}

TEST_F(ActionChain, PrintingRemovalStopsThenDeletesAndShowsNothing) {
  const std::string status = ui.status();
  EXPECT_EQ(run(BitBtn8Click), kShown);
  EXPECT_EQ(log.entries, (Log{"StopProcessByName yazdir.exe", "deleteFile ~/yazdir.exe"}));
  EXPECT_EQ(ui.status(), status);
  EXPECT_EQ(ui.memo, Log{"earlier text"});
}

// --- automatic update --------------------------------------------------------

class AutomaticUpdate : public ActionChain {
 protected:
  AutomaticUpdate() {
    for (const char* label : {"Label13", "Label14", "Label15", "Label17", "Label18", "Label21",
                              "Label22", "Label23", "Label25", "Label26"}) {
      ui.setCaption(label, "12");
    }
    log.entries.clear();
  }
};

const Log kAutomaticStart{"disable BitBtn2",
                          "disable BitBtn3",
                          "disable BitBtn4",
                          "disable BitBtn5",
                          "disable BitBtn7",
                          "StopProcessByName yazdir.exe",
                          "StopProcessByName zelvak.exe",
                          "StopProcessByName mobil.exe",
                          "StopProcessByName zkbck.exe"};
const Log kAutomaticEnd{"pump", "status Otomatik Güncelleme Tamamlandı..",
                        "memo ** Otomatik Güncelleme Tamamlandı..", "StartMainProgram"};

TEST_F(AutomaticUpdate, EverythingUpToDateStopsTheProgramsAndStartsTheMainOne) {
  EXPECT_EQ(run(BitBtn1Click), kShown);
  EXPECT_EQ(log.entries, (kAutomaticStart + kAutomaticEnd));
  EXPECT_EQ(ui.memo, (Log{"earlier text", "** Otomatik Güncelleme Tamamlandı.."}));
  EXPECT_EQ(ui.status(), "Otomatik Güncelleme Tamamlandı..");
  for (const char* button : {"BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn7"}) {
    EXPECT_FALSE(ui.isEnabled(button)) << button;
  }
  EXPECT_TRUE(ui.isEnabled("BitBtn1"));
  EXPECT_TRUE(ui.isEnabled("BitBtn8"));
}

Log automaticMainRow() {
  return Log{"CreateRarArchive",
             "status Zelvak ve Bağlantıları kapatılıyor..",
             "pump",
             "pump",
             "status Zelvak İnidiriliyor.",
             "pump",
             "DownloadFile " + kYear + "zelvak.rar ~/update/zelvak.rar",
             "OpenArchiveFile ~/update/zelvak.rar",
             "ExtractAllTo ~/update",
             "status Rar dosya açılıyor",
             "pump",
             "wait 500",
             "copyFile ~/update/zelvak.exe ~/zelvak.exe",
             "status ZelvaK Kopyalanıp ZelvaK Açılacak",
             "pump",
             "CloseArchive",
             "memo ** Zelvak İndilirdi."};
}

TEST_F(AutomaticUpdate, ComparesAsIntegersNotAsTexts) {
  setVersions("Label13", "5");  // "5" > "12" as text
  EXPECT_EQ(run(BitBtn1Click), kShown);
  EXPECT_EQ(log.entries, (kAutomaticStart + automaticMainRow() + kAutomaticEnd));
  EXPECT_EQ(ui.memo,
            (Log{"** Zelvak İndilirdi.", "earlier text", "** Otomatik Güncelleme Tamamlandı.."}));
}

TEST_F(AutomaticUpdate, NewerInstalledVersionCountsAsUpToDate) {
  setVersions("Label13", "13");
  setVersions("Label21", "$C");
  EXPECT_EQ(run(BitBtn1Click), kShown);
  EXPECT_EQ(log.entries, (kAutomaticStart + kAutomaticEnd));
}

TEST_F(AutomaticUpdate, ServerTextWithALineBreakStopsTheUpdateBeforeTheStart) {
  setVersions("Label18", "11");  // the DLL row runs before the failing row
  setVersions("Label21", "12\r\n");
  EXPECT_EQ(run(BitBtn1Click), "'12\r\n' is not a valid integer value");
  EXPECT_EQ(log.entries, (kAutomaticStart + bundleAction()));
}

TEST_F(AutomaticUpdate, LocalLabelIsConvertedBeforeTheServerLabel) {
  setVersions("Label17", "Yok");
  setVersions("Label25", "x");
  EXPECT_EQ(run(BitBtn1Click), "'Yok' is not a valid integer value");
  EXPECT_EQ(log.entries, (kAutomaticStart));
}

TEST_F(AutomaticUpdate, AbsentPrintingAndMobileRowsAreLeftOutWithoutConversion) {
  setVersions("Label15", "Yok");
  setVersions("Label23", "not a number");
  setVersions("Label14", "Yok");
  setVersions("Label22", "not a number");
  EXPECT_EQ(run(BitBtn1Click), kShown);
  EXPECT_EQ(log.entries, (kAutomaticStart + kAutomaticEnd));
}

TEST_F(AutomaticUpdate, WorkstationSkipsTheMobileRowAndGoesOnWithTheMainProgram) {
  context.serverAddress = "server";
  setVersions("Label14", "1");
  setVersions("Label22", "garbage");  // never converted off the database server
  setVersions("Label13", "1");
  EXPECT_EQ(run(BitBtn1Click), kShown);
  EXPECT_EQ(log.entries, (kAutomaticStart + automaticMainRow() + kAutomaticEnd));
}

TEST_F(AutomaticUpdate, PrintingRowNeitherStopsNorStarts) {
  setVersions("Label15", "1");
  EXPECT_EQ(run(BitBtn1Click), kShown);
  EXPECT_EQ(log.entries,
            (kAutomaticStart +
             Log{"CreateRarArchive", "DownloadFile " + kYear + "yazdir.rar ~/update/yazdir.rar",
                 "OpenArchiveFile ~/update/yazdir.rar", "ExtractAllTo ~/update", "CloseArchive",
                 "copyFile ~/update/yazdir.exe ~/yazdir.exe", "memo ** Mobil Yazdırma İndilirdi."} +
             kAutomaticEnd));
}

TEST_F(AutomaticUpdate, DllAndMobileRowsBehindFetchTheBundleThreeTimesAndInstallItTwice) {
  setVersions("Label18", "1");
  setVersions("Label14", "1");
  EXPECT_EQ(run(BitBtn1Click), kShown);
  EXPECT_EQ(log.entries, (kAutomaticStart + bundleAction() +
                          Log{"CreateRarArchive", "click BitBtn7"} + bundleAction() +
                          Log{"status Mobil ve Yedekleme kapatılıyor", "pump",
                              "DownloadFile " + kYear + "mobil.rar ~/update/mobil.rar",
                              "DownloadFile " + kYear + "dll.rar ~/update/dll.rar"} +
                          mobileInstall() + kAutomaticEnd));
  EXPECT_EQ(ui.memo,
            (Log{"** Mobil Sunucu ve Yedekelme İndilirdi.", "** DLL ler İndilirdi.",
                 "** DLL ler İndilirdi.", "earlier text", "** Otomatik Güncelleme Tamamlandı.."}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AutomaticUpdate, FailedMainProgramDownloadInstallsTheStagedOneAndEndsWithoutStart) {
  setVersions("Label13", "1");
  failOn("DownloadFile", "HTTP/1.1 404 Not Found");
  EXPECT_EQ(run(BitBtn1Click), "HTTP/1.1 404 Not Found");
  Log row = automaticMainRow();
  row.insert(row.begin() + 7, "  failed");
  EXPECT_EQ(log.entries, (kAutomaticStart + row));
  EXPECT_EQ(ui.memo.front(), "** Zelvak İndilirdi.");
}

TEST_F(AutomaticUpdate, FailureInsideAnEarlierRowEndsTheUpdateAfterThatRowsCleanups) {
  setVersions("Label18", "1");
  setVersions("Label17", "1");
  setVersions("Label13", "1");
  failOn("ExtractAllTo ~/update/dll/", "CRC failed: midas.dll");
  EXPECT_EQ(run(BitBtn1Click), "CRC failed: midas.dll");
  Log row = bundleAction();
  row.insert(row.begin() + 11, "  failed");
  EXPECT_EQ(log.entries, (kAutomaticStart + row));
}

TEST_F(AutomaticUpdate, MobileRowAfterAFailedNestedBundleDownloadsNothingMore) {
  setVersions("Label14", "1");
  failOn("DownloadFile " + kYear + "dll.rar", "Socket Error # 10061");
  EXPECT_EQ(run(BitBtn1Click), "Socket Error # 10061");
  const Log tail = Log{"  failed", "OpenArchiveFile ~/update/dll.rar", "ExtractAllTo ~/update/dll/",
                       "CloseArchive"} +
                   bundleCopies() + Log{"memo ** DLL ler İndilirdi."} + mobileInstall();
  EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), log.entries.rbegin()));
  EXPECT_EQ(std::count(log.entries.begin(), log.entries.end(),
                       "DownloadFile " + kYear + "mobil.rar ~/update/mobil.rar"),
            0);
}

}  // namespace
}  // namespace zk
