// The whole program against the real parts of a site: guncelleme runs in a
// product installation, reads the licence year from the company database on
// the test Firebird server, checks an nginx update server, and "Otomatik
// Güncelle" is pressed once the check is done (as the demo does).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/installation_fixture.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using test::InstallationTest;

const char* const kPrograms[] = {"zelvak.exe", "mobil.exe", "zkbck.exe", "yazdir.exe"};

int count(const Lines& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool requested(const Lines& requests, const std::string& name) {
  return std::any_of(requests.begin(), requests.end(), [&](const std::string& request) {
    return request.find("/" + name + " ") != std::string::npos;
  });
}

class EndToEnd : public InstallationTest {
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

  // The product's programs running from the installation, as the user left them.
  void startPrograms() {
    for (const char* name : kPrograms) {
      running.push_back(std::make_unique<test::ChildProcess>(
          install + "/" + name, Lines{"--mark", temp.file(std::string(name) + ".running")}));
      ASSERT_TRUE(test::waitForMark(temp.file(std::string(name) + ".running")));
    }
  }

  void run(const std::map<std::string, std::string>& extra = {}) {
    result = runUpdate(serverUrl, extra);
    errors = test::linesStartingWith(result.standardError, "ERROR: ");
    before = test::linesStartingWith(result.standardOutput, "DEMO before ");
    after = test::linesStartingWith(result.standardOutput, "DEMO after ");
    memo = test::linesStartingWith(result.standardOutput, "DEMO after memo: ");
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(count(test::linesStartingWith(result.standardOutput, "DEMO "), "timed out"), 0);
  }

  std::string newItem(const std::string& archive, const std::string& item) const {
    for (const test::RarItem& entry : test::moduleArchive(newArchives, archive).items) {
      if (entry.name == item) {
        return entry.data;
      }
    }
    return {};
  }

  std::vector<std::unique_ptr<test::ChildProcess>> running;
  test::ProgramResult result;
  Lines errors, before, after, memo;
};

TEST_F(EndToEnd, MainProgramBehindIsStoppedReplacedAndStartedAgain) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine(), {"vermb.txt", "verpr.txt", "verrp.txt", "verdl.txt"});
  startPrograms();
  const auto installedBefore = installedFiles();

  run();

  EXPECT_TRUE(errors.empty()) << result.standardError;
  EXPECT_EQ(count(before, "ZelvaK: installed=11 server=12"), 1) << result.standardOutput;
  for (std::size_t i = 0; i < running.size(); ++i) {
    EXPECT_TRUE(running[i]->waitForEnd(5s)) << kPrograms[i] << " was not stopped";
    EXPECT_TRUE(running[i]->endedByKill()) << kPrograms[i];
  }
  EXPECT_EQ(file("zelvak.exe"), newItem("zelvak.rar", "zelvak.exe"));
  auto expected = installedBefore;
  expected["zelvak.exe"] = newItem("zelvak.rar", "zelvak.exe");
  EXPECT_EQ(installedFiles(), expected);              // nothing else touched
  EXPECT_FALSE(fs::exists(install + "/zelvak.chm"));  // stays in the staging folder
  ASSERT_FALSE(memo.empty());
  EXPECT_EQ(memo.front(), "** Zelvak İndilirdi.");
  EXPECT_EQ(memo.back(), "** Otomatik Güncelleme Tamamlandı..");
  EXPECT_EQ(count(after, "status: Otomatik Güncelleme Tamamlandı.."), 1) << result.standardOutput;

  const auto mark = startedMainProgram(5s);
  ASSERT_TRUE(mark) << "the main program was not started";
  EXPECT_EQ(mark->workingDirectory, install);
  EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(mark->pid) + "/exe"),
            fs::path(install) / "zelvak.exe");

  const Lines requests = nginxRequests();
  EXPECT_TRUE(requested(requests, "zelvak.rar")) << ::testing::PrintToString(requests);
  for (const char* other : {"mobil.rar", "yazdir.rar", "report.rar", "dll.rar"}) {
    EXPECT_FALSE(requested(requests, other)) << other;
  }
}

TEST_F(EndToEnd, DatabaseServerMachineBringsEveryModuleUpToDate) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine());

  run();

  EXPECT_TRUE(errors.empty()) << result.standardError;
  EXPECT_EQ(count(before, "Mobil: installed=7 server=8"), 1) << result.standardOutput;
  auto expected = installedFiles();
  for (const auto& [path, bytes] : serverNewFiles()) {
    EXPECT_EQ(file(path), bytes) << path;
  }
  // The main program's, mobile server's and printing module's version files
  // are not part of their archives.
  EXPECT_EQ(file("verzk.txt"), "11");
  EXPECT_EQ(file("vermb.txt"), "7");
  EXPECT_EQ(count(memo, "** DLL ler İndilirdi."), 2) << result.standardOutput;
  for (const char* line : {"** Raporlar İndilirdi.", "** Mobil Yazdırma İndilirdi.",
                           "** Mobil Sunucu ve Yedekelme İndilirdi.", "** Zelvak İndilirdi."}) {
    EXPECT_EQ(count(memo, line), 1) << line;
  }
  EXPECT_TRUE(startedMainProgram(5s));
}

TEST_F(EndToEnd, WorkstationLeavesTheMobileServerAlone) {
  writeServer(serverRoot);
  writeInstallation(workstation());

  run();

  EXPECT_TRUE(errors.empty()) << result.standardError;
  EXPECT_EQ(count(before, "Mobil: installed=Yok server=8"), 1) << result.standardOutput;
  const auto& oldMobile = test::moduleArchive(oldArchives, "mobil.rar").items;
  EXPECT_EQ(file("mobil.exe"), oldMobile[0].data);
  EXPECT_EQ(file("zkbck.exe"), oldMobile[1].data);
  EXPECT_EQ(file("vermb.txt"), "7");
  EXPECT_EQ(file("zelvak.exe"), newItem("zelvak.rar", "zelvak.exe"));
  EXPECT_EQ(file("fbclient.dll"), newItem("dll.rar", "fbclient.dll"));
  EXPECT_EQ(count(memo, "** Mobil Sunucu ve Yedekelme İndilirdi."), 0);
  EXPECT_EQ(count(memo, "** DLL ler İndilirdi."), 1) << result.standardOutput;
  EXPECT_FALSE(requested(nginxRequests(), "mobil.rar"));
  EXPECT_TRUE(startedMainProgram(5s));
}

TEST_F(EndToEnd, FirstRunInAnEmptyFolderCreatesVersionFilesAndFetchesTheArchiveLibrary) {
  writeServer(serverRoot);
  writeInstallation(databaseMachine());
  for (const auto& entry : fs::directory_iterator(install)) {
    if (entry.path().filename() != "zkayarlar.ini") {
      fs::remove_all(entry.path());
    }
  }

  // No archive library anywhere but where the start-up puts the fetched one.
  run({{"ZK_ARCHIVE_LIBRARY_FOLDERS", install}});

  EXPECT_TRUE(errors.empty()) << result.standardError;
  for (const char* row : {"ZelvaK", "Mobil", "DLL'ler"}) {
    EXPECT_EQ(count(before, std::string(row) + ": installed=1 server=" +
                                (row[0] == 'Z'   ? "12"
                                 : row[0] == 'M' ? "8"
                                                 : "4")),
              1)
        << row << "\n"
        << result.standardOutput;
  }
  EXPECT_EQ(count(before, "Yazdırma: installed=Yok server=5"), 1) << result.standardOutput;
  EXPECT_EQ(file("7z.so"), test::readFile(serverRoot + "/7z.so"));
  EXPECT_EQ(file("logo1024.png"), test::readFile(serverRoot + "/logo1024.png"));
  EXPECT_EQ(file("verzk.txt"), "1");
  EXPECT_EQ(file("vermb.txt"), "1");
  EXPECT_FALSE(fs::exists(install + "/verpr.txt"));
  EXPECT_FALSE(fs::exists(install + "/yazdir.exe"));  // no printing module here
  EXPECT_EQ(file("verdl.txt"), "4");
  EXPECT_EQ(file("verrp.txt"), "31");
  EXPECT_EQ(file("zelvak.exe"), newItem("zelvak.rar", "zelvak.exe"));
  EXPECT_EQ(file("mobil.exe"), newItem("mobil.rar", "mobil.exe"));
  EXPECT_EQ(file("report/Stok/stok_listesi.fr3"), newItem("report.rar", "Stok/stok_listesi.fr3"));
  // The main program is a new file here: a Windows program is started through
  // wine, but the native stand-in is left without the permission to run.
}

TEST_F(EndToEnd, ServerWithoutThePrintingArchiveEndsTheUpdateAtThatRow) {
  writeServer(serverRoot, {"yazdir.rar"});
  writeInstallation(databaseMachine());
  const auto installedBefore = installedFiles();

  run();

  // Nothing from an earlier run: the open of the missing archive is the
  // failure shown, raised after the download's.
  ASSERT_EQ(errors.size(), 1u) << result.standardError;
  EXPECT_EQ(errors[0],
            "Cannot open file \"" + install + "/update/yazdir.rar\". No such file or directory.");
  EXPECT_TRUE(requested(nginxRequests(), "yazdir.rar"));
  EXPECT_EQ(count(nginxRequests(), "GET /" + fs::path(serverRoot).filename().string() + "/" +
                                       test::kYear + "/yazdir.rar 404"),
            1)
      << ::testing::PrintToString(nginxRequests());
  // Rows before it are done, rows after it are not, and nothing is started.
  EXPECT_EQ(file("fbclient.dll"), newItem("dll.rar", "fbclient.dll"));
  EXPECT_EQ(file("report/cari_hesap.fr3"), newItem("report.rar", "cari_hesap.fr3"));
  for (const char* unchanged : {"yazdir.exe", "mobil.exe", "zkbck.exe", "zelvak.exe"}) {
    EXPECT_EQ(file(unchanged), installedBefore.at(unchanged)) << unchanged;
  }
  EXPECT_EQ(count(memo, "** Mobil Yazdırma İndilirdi."), 1);
  EXPECT_EQ(count(memo, "** Otomatik Güncelleme Tamamlandı.."), 0);
  EXPECT_FALSE(startedMainProgram(1500ms));
}

}  // namespace
}  // namespace zk
