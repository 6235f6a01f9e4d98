// The update actions with their real parts: downloads from a scripted
// loopback server through the window's HTTP client, archives written as
// RAR 5 and unpacked by the 7-Zip library, stand-in processes under the
// product's names, and the file system of a temporary working directory.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "install/sevenzip/sevenzip.h"
#include "install/update_actions.h"
#include "install/update_operations_window.h"
#include "platform/files.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/fake_update_operations.h"
#include "tests/support/file_access.h"
#include "tests/support/rar_writer.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"
#include "transfer/http_client.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ActionLog;
using test::LoggingUi;
using test::RarItem;
using test::ScriptedHttpServer;
using Lines = std::vector<std::string>;

const std::string kSilent = "(silent abort)";

// A file answered on its own connection, which the server then closes.
ScriptedHttpServer::Script serve(const std::string& body) {
  return {ScriptedHttpServer::request(),
          ScriptedHttpServer::send(test::httpAnswer(
              "HTTP/1.1 200 OK",
              {"Content-Length: " + std::to_string(body.size()), "Connection: close"}, body)),
          ScriptedHttpServer::close()};
}

ScriptedHttpServer::Script notFound() {
  return {ScriptedHttpServer::request(),
          ScriptedHttpServer::send(test::httpAnswer("HTTP/1.1 404 Not Found",
                                                    {"Content-Length: 0", "Connection: close"})),
          ScriptedHttpServer::close()};
}

// A program that runs the stand-in, with a version text to tell copies apart.
// A program that runs as the stand-in and whose bytes name its version: a
// script on Linux; on Windows the stand-in's own image with the version after
// it, which Windows loads as it would any data appended to a program.
std::string program(const std::string& version) {
  if (test::kOnWindows) {
    static const std::string image = test::readFile(test::standInProgram());
    return image + "\n# " + version + "\n";
  }
  return "#!" + test::standInProgram() + "\n# " + version + "\n";
}

std::string bundleArchive(const std::string& version, const std::string& leftOut = "") {
  std::vector<RarItem> items;
  for (std::string_view name : ModuleCatalogue::dllBundle()) {
    if (name != leftOut) {
      items.push_back(RarItem::file(std::string(name), version + " " + std::string(name)));
    }
  }
  items.back().data = version;  // verdl.txt holds the bundle's version
  return test::rarArchive(items);
}

class ActionsWithRealParts : public ::testing::Test {
 protected:
  ActionsWithRealParts()
      : cwd_(folder.path()),
        log(platform::workingDirectory()),
        ui(log),
        operations(ui, IdHTTP1, archive),
        context{ui,
                operations,
                server.url("/2024/"),
                log.home + "/update",
                log.home + "/report",
                "localhost"} {
    test::collectOrphans();
    fs::create_directory(folder.file("update"));
    fs::create_directory(folder.file("report"));
    applyConfiguredClientSettings(IdHTTP1);
    ui.handlers["BitBtn2"] = [this] { BitBtn2Click(context); };
    ui.handlers["BitBtn3"] = [this] { BitBtn3Click(context); };
    ui.handlers["BitBtn7"] = [this] { BitBtn7Click(context); };
    ui.memo = {"earlier text"};
  }

  std::string run(void (*action)(const UpdateContext&)) {
    try {
      action(context);
      return "";
    } catch (const AbortError&) {
      return kSilent;
    } catch (const Error& error) {
      return error.message();
    }
  }

  // The request targets in the order they came.
  Lines requestedTargets() const {
    Lines targets;
    for (const auto& request : server.requests()) {
      const std::size_t start = request.raw.find(' ') + 1;
      targets.push_back(request.raw.substr(start, request.raw.find(' ', start) - start));
    }
    return targets;
  }

  // A stand-in running under the name from the working directory.
  std::unique_ptr<test::ChildProcess> running(const std::string& name) {
    const std::string path = test::copyStandIn(folder.path(), name);
    return std::make_unique<test::ChildProcess>(path,
                                                Lines{"--mark", folder.file(name + ".running")});
  }

  // The main program the action started, if it did; ended with the test.
  bool mainProgramStarted(std::chrono::milliseconds timeout = 10s) {
    const auto mark = test::waitForMark(startMark, timeout);
    if (mark) {
      started = std::make_unique<test::AdoptedProcess>(mark->pid);
    }
    return mark.has_value();
  }

  std::string file(const std::string& name) const { return test::readFile(folder.file(name)); }
  bool exists(const std::string& name) const { return fs::exists(folder.file(name)); }

  test::TempFolder folder;
  std::string startMark = folder.file("started.mark");
  test::ScopedEnvironment markVariable{"ZK_STANDIN_MARK", startMark};
  test::ScopedWorkingDirectory cwd_;
  ScriptedHttpServer server;
  ActionLog log;
  LoggingUi ui;
  HttpClient IdHTTP1;
  ArchiveSlot archive;
  WindowUpdateOperations operations;
  UpdateContext context;
  std::unique_ptr<test::AdoptedProcess> started;
};

// --- main program ------------------------------------------------------------

TEST_F(ActionsWithRealParts, MainProgramOffTheDatabaseServerIsInstalledAndStartedSilently) {
  context.serverAddress = "server";
  test::writeFile(folder.file("zelvak.exe"), program("old"));
  fs::permissions(folder.file("zelvak.exe"), fs::perms(0755));
  auto oldMain = running("zelvak.exe");
  auto printingProgram = running("yazdir.exe");
  server.addConnection(serve(test::rarArchive(
      {RarItem::file("zelvak.exe", program("new")), RarItem::file("readme.txt", "notes")})));

  EXPECT_EQ(run(BitBtn2Click), kSilent);

  EXPECT_EQ(requestedTargets(), Lines{"/2024/zelvak.rar"});
  EXPECT_TRUE(oldMain->waitForEnd(5s));
  EXPECT_TRUE(printingProgram->waitForEnd(5s));
  EXPECT_EQ(file("zelvak.exe"), program("new"));
  EXPECT_FALSE(exists("readme.txt"));  // only the executable is copied
  EXPECT_TRUE(exists("update/readme.txt"));
  EXPECT_TRUE(mainProgramStarted());
  EXPECT_EQ(ui.memo, (Lines{"** Zelvak İndilirdi.", "earlier text"}));
  EXPECT_EQ(ui.status(), "ZelvaK Kopyalanıp ZelvaK Açılacak");
}

TEST_F(ActionsWithRealParts, MissingMainArchiveInstallsTheOlderOneThenShowsTheDownloadError) {
  context.serverAddress = "server";
  test::writeFile(folder.file("zelvak.exe"), program("installed"));
  fs::permissions(folder.file("zelvak.exe"), fs::perms(0755));
  test::writeRarArchive(folder.file("update/zelvak.rar"),
                        {RarItem::file("zelvak.exe", program("previous run"))});
  server.addConnection(notFound());

  EXPECT_EQ(run(BitBtn2Click), "HTTP/1.1 404 Not Found");

  EXPECT_EQ(file("zelvak.exe"), program("previous run"));
  EXPECT_TRUE(mainProgramStarted());
  EXPECT_EQ(ui.memo.front(), "** Zelvak İndilirdi.");
  EXPECT_TRUE(exists("update/zelvak.rar"));  // a failed download leaves it alone
}

TEST_F(ActionsWithRealParts, FirstRunWithoutAnyArchiveShowsTheOpenFailure) {
  context.serverAddress = "server";
  test::writeFile(folder.file("zelvak.exe"), program("installed"));
  fs::permissions(folder.file("zelvak.exe"), fs::perms(0755));
  server.addConnection(notFound());

  const std::string shown = run(BitBtn2Click);

  EXPECT_EQ(shown, "Cannot open file \"" + test::nativePath(log.home + "/update/zelvak.rar") +
                       "\". " + test::systemErrorText(2));
  EXPECT_EQ(file("zelvak.exe"), program("installed"));
  EXPECT_TRUE(mainProgramStarted());
  EXPECT_EQ(ui.memo.front(), "** Zelvak İndilirdi.");
}

// --- printing and reports ----------------------------------------------------

TEST_F(ActionsWithRealParts, PrintingLineAndStartFollowAFailedDownload) {
  test::writeFile(folder.file("zelvak.exe"), program("installed"));
  fs::permissions(folder.file("zelvak.exe"), fs::perms(0755));
  auto printingProgram = running("yazdir.exe");
  test::writeRarArchive(folder.file("update/yazdir.rar"),
                        {RarItem::file("yazdir.exe", "printing from the previous run")});
  server.addConnection(notFound());

  EXPECT_EQ(run(BitBtn4Click), "HTTP/1.1 404 Not Found");

  EXPECT_EQ(requestedTargets(), Lines{"/2024/yazdir.rar"});
  EXPECT_TRUE(printingProgram->waitForEnd(5s));
  EXPECT_EQ(file("yazdir.exe"), "printing from the previous run");
  EXPECT_EQ(ui.memo, (Lines{"** Mobil Yazdırma İndilirdi.", "earlier text"}));
  EXPECT_TRUE(mainProgramStarted());
}

TEST_F(ActionsWithRealParts, ReportsLineStaysWhenTheExtractionFails) {
  RarItem damaged = RarItem::file("musteri.fr3", "report layout");
  damaged.wrongDataCrc = true;
  server.addConnection(
      serve(test::rarArchive({RarItem::file("fatura.fr3", "invoice layout"), damaged})));
  server.addConnection(serve("14"));

  const std::string shown = run(BitBtn5Click);

  EXPECT_NE(shown.find("musteri.fr3"), std::string::npos) << shown;
  // The version file's URL carries a backslash, sent as a second "/".
  EXPECT_EQ(requestedTargets(), (Lines{"/2024/report.rar", "/2024//verrp.txt"}));
  EXPECT_EQ(file("verrp.txt"), "14");
  EXPECT_EQ(file("report/fatura.fr3"), "invoice layout");
  EXPECT_EQ(ui.memo, (Lines{"** Raporlar İndilirdi.", "earlier text"}));
  EXPECT_EQ(ui.status(), "Raporlar İndirildi");
}

TEST_F(ActionsWithRealParts, PrintingRemovalEndsTheProgramAndDeletesOnlyItsFile) {
  auto printingProgram = running("yazdir.exe");
  test::writeFile(folder.file("yazici.exe"), "printer driver");
  test::writeFile(folder.file("verpr.txt"), "7");

  EXPECT_EQ(run(BitBtn8Click), "");

  EXPECT_TRUE(printingProgram->waitForEnd(5s));
  EXPECT_FALSE(exists("yazdir.exe"));
  EXPECT_TRUE(exists("yazici.exe"));
  EXPECT_TRUE(exists("verpr.txt"));
  EXPECT_EQ(ui.memo, Lines{"earlier text"});
  EXPECT_TRUE(ui.messages.empty());
  // Once more with nothing left to stop or delete: still nothing to see.
  EXPECT_EQ(run(BitBtn8Click), "");
}

// --- DLL bundle and mobile server -------------------------------------------

TEST_F(ActionsWithRealParts, BundleReplacesTheStagingFolderAndPassesOverAMissingLibrary) {
  fs::create_directories(folder.file("update/dll/old"));
  test::writeFile(folder.file("update/dll/stale.dll"), "from an older bundle");
  test::writeFile(folder.file("midas.dll"), "installed midas");
  auto mobile = running("mobil.exe");
  auto backup = running("zkbck.exe");
  server.addConnection(serve(bundleArchive("31", "midas.dll")));

  EXPECT_EQ(run(BitBtn7Click), "");

  EXPECT_EQ(requestedTargets(), Lines{"/2024/dll.rar"});
  EXPECT_TRUE(mobile->waitForEnd(5s));
  EXPECT_TRUE(backup->waitForEnd(5s));
  EXPECT_FALSE(exists("update/dll/stale.dll"));
  EXPECT_FALSE(exists("update/dll/old"));
  EXPECT_EQ(file("midas.dll"), "installed midas");
  EXPECT_EQ(file("fbclient.dll"), "31 fbclient.dll");
  EXPECT_EQ(file("Microsoft.VC80.CRT.manifest"), "31 Microsoft.VC80.CRT.manifest");
  EXPECT_EQ(file("verdl.txt"), "31");
  EXPECT_EQ(ui.memo, (Lines{"** DLL ler İndilirdi.", "earlier text"}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ActionsWithRealParts, MobileActionInstallsTheBundleTwiceAroundTheMobileServer) {
  auto mainProgram = running("zelvak.exe");
  auto mobile = running("mobil.exe");
  server.addConnection(serve(bundleArchive("31")));
  server.addConnection(serve(test::rarArchive(
      {RarItem::file("mobil.exe", "mobile 8"), RarItem::file("zkbck.exe", "backup 8")})));
  server.addConnection(serve(bundleArchive("32")));

  EXPECT_EQ(run(BitBtn3Click), "");

  EXPECT_EQ(requestedTargets(), (Lines{"/2024/dll.rar", "/2024/mobil.rar", "/2024/dll.rar"}));
  EXPECT_TRUE(mainProgram->waitForEnd(5s));
  EXPECT_TRUE(mobile->waitForEnd(5s));
  EXPECT_EQ(file("mobil.exe"), "mobile 8");
  EXPECT_EQ(file("zkbck.exe"), "backup 8");
  EXPECT_EQ(file("verdl.txt"), "32");
  EXPECT_EQ(ui.memo, (Lines{"** DLL ler İndilirdi.", "** Mobil Sunucu ve Yedekelme İndilirdi.",
                            "** DLL ler İndilirdi.", "earlier text"}));
  EXPECT_EQ(ui.status(), "DLL ler İndilirdi.");
  EXPECT_FALSE(mainProgramStarted(300ms));
}

// --- automatic update --------------------------------------------------------

class AutomaticUpdateWithRealParts : public ActionsWithRealParts {
 protected:
  AutomaticUpdateWithRealParts() {
    for (const char* label : {"Label13", "Label14", "Label15", "Label17", "Label18", "Label21",
                              "Label22", "Label23", "Label25", "Label26"}) {
      ui.setCaption(label, "12");
    }
    test::writeFile(folder.file("zelvak.exe"), program("installed"));
    fs::permissions(folder.file("zelvak.exe"), fs::perms(0755));
  }
};

TEST_F(AutomaticUpdateWithRealParts, EverythingUpToDateFetchesNothingAndStartsTheMainProgram) {
  auto printingProgram = running("yazdir.exe");
  auto backup = running("zkbck.exe");

  EXPECT_EQ(run(BitBtn1Click), "");

  EXPECT_TRUE(requestedTargets().empty());
  EXPECT_TRUE(printingProgram->waitForEnd(5s));
  EXPECT_TRUE(backup->waitForEnd(5s));
  EXPECT_TRUE(mainProgramStarted());
  EXPECT_EQ(ui.memo, (Lines{"earlier text", "** Otomatik Güncelleme Tamamlandı.."}));
  EXPECT_EQ(ui.status(), "Otomatik Güncelleme Tamamlandı..");
}

TEST_F(AutomaticUpdateWithRealParts, MainProgramFiveAgainstTwelveIsUpdated) {
  ui.setCaption("Label13", "5");
  server.addConnection(serve(test::rarArchive({RarItem::file("zelvak.exe", program("12"))})));

  EXPECT_EQ(run(BitBtn1Click), "");

  EXPECT_EQ(requestedTargets(), Lines{"/2024/zelvak.rar"});
  EXPECT_EQ(file("zelvak.exe"), program("12"));
  EXPECT_TRUE(mainProgramStarted());
  EXPECT_EQ(ui.memo,
            (Lines{"** Zelvak İndilirdi.", "earlier text", "** Otomatik Güncelleme Tamamlandı.."}));
}

TEST_F(AutomaticUpdateWithRealParts, ServerVersionWithALineBreakStopsBeforeTheStart) {
  ui.setCaption("Label21", "12\r\n");

  EXPECT_EQ(run(BitBtn1Click), "'12\r\n' is not a valid integer value");

  EXPECT_TRUE(requestedTargets().empty());
  EXPECT_FALSE(mainProgramStarted(300ms));
  EXPECT_EQ(ui.memo, Lines{"earlier text"});
}

TEST_F(AutomaticUpdateWithRealParts, WorkstationLeavesTheMobileRowOut) {
  context.serverAddress = "server";
  ui.setCaption("Label14", "1");
  ui.setCaption("Label13", "1");
  server.addConnection(serve(test::rarArchive({RarItem::file("zelvak.exe", program("12"))})));

  EXPECT_EQ(run(BitBtn1Click), "");

  EXPECT_EQ(requestedTargets(), Lines{"/2024/zelvak.rar"});
  EXPECT_TRUE(mainProgramStarted());
}

TEST_F(AutomaticUpdateWithRealParts, DllAndMobileRowsBehindFetchTheBundleThreeTimes) {
  ui.setCaption("Label18", "1");
  ui.setCaption("Label14", "1");
  server.addConnection(serve(bundleArchive("21")));
  server.addConnection(serve(bundleArchive("22")));
  server.addConnection(serve(test::rarArchive(
      {RarItem::file("mobil.exe", "mobile 8"), RarItem::file("zkbck.exe", "backup 8")})));
  server.addConnection(serve(bundleArchive("23")));

  EXPECT_EQ(run(BitBtn1Click), "");

  EXPECT_EQ(requestedTargets(),
            (Lines{"/2024/dll.rar", "/2024/dll.rar", "/2024/mobil.rar", "/2024/dll.rar"}));
  // Installed twice: the third download stays in the staging folder.
  EXPECT_EQ(file("verdl.txt"), "22");
  EXPECT_EQ(file("update/dll/verdl.txt"), "22");
  EXPECT_EQ(file("mobil.exe"), "mobile 8");
  EXPECT_EQ(ui.memo, (Lines{"** Mobil Sunucu ve Yedekelme İndilirdi.", "** DLL ler İndilirdi.",
                            "** DLL ler İndilirdi.", "earlier text",
                            "** Otomatik Güncelleme Tamamlandı.."}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(mainProgramStarted());
}

TEST_F(AutomaticUpdateWithRealParts, FailedMainArchiveInstallsTheStagedOneWithoutStart) {
  ui.setCaption("Label13", "1");
  test::writeRarArchive(folder.file("update/zelvak.rar"),
                        {RarItem::file("zelvak.exe", program("previous run"))});
  server.addConnection(notFound());

  EXPECT_EQ(run(BitBtn1Click), "HTTP/1.1 404 Not Found");

  EXPECT_EQ(file("zelvak.exe"), program("previous run"));
  EXPECT_EQ(ui.memo, (Lines{"** Zelvak İndilirdi.", "earlier text"}));
  EXPECT_FALSE(mainProgramStarted(300ms));
}

}  // namespace
}  // namespace zk
