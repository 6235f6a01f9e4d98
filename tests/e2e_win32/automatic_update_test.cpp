// The Windows program end to end: guncelleme.exe runs in a product
// installation that is behind the update server, with the product's programs
// running, against nginx on loopback. The test looks at the window from its
// own process, as a user's tools would: it waits for the server check, reads
// what the window shows, presses "Otomatik Güncelle" with a posted click,
// waits for the status line to report the end and closes the window.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/window_layout.h"
#include "tests/e2e_win32/update_site.h"
#include "tests/helpers/stand_in.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

// Wine may hold a starting process for up to 10 s while it starts its
// desktop process; the waits for the programs leave room for that.
constexpr auto kProgramStart = 30s;

const char* const kPrograms[] = {"zelvak.exe", "mobil.exe", "zkbck.exe", "yazdir.exe"};

Lines memoLines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) {
      return lines;
    }
    start = end + 2;
  }
}

class WindowsProgram : public test::UpdateSiteTest {
 protected:
  void SetUp() override {
    UpdateSiteTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    const std::string root = test::hostPathFromEnvironment("ZK_NGINX_ROOT");
    const char* port = std::getenv("ZK_NGINX_PORT");
    if (root.empty() || port == nullptr) {
      GTEST_SKIP() << "no test nginx (ZK_NGINX_ROOT unset): run the tests through scripts/test.sh";
    }
    // A folder of its own below the document root, removed with the test.
    const std::string name = "e2e-win32-" + std::to_string(test::currentProcessId()) + "-" +
                             fs::path(temp.path()).filename().string();
    serverRoot = root + "/" + name;
    serverUrl = "http://127.0.0.1:" + std::string(port) + "/" + name + "/";
  }

  void TearDown() override {
    if (!serverRoot.empty()) {
      std::error_code ignored;
      fs::remove_all(serverRoot, ignored);
    }
    UpdateSiteTest::TearDown();
  }

  std::string newItem(const std::string& archive, const std::string& item) const {
    for (const test::RarItem& entry : test::moduleArchive(newArchives, archive).items) {
      if (entry.name == item) {
        return entry.data;
      }
    }
    return {};
  }

  std::string serverRoot;
  std::string serverUrl;
};

TEST_F(WindowsProgram, AutomaticUpdateReplacesEveryModuleStopsTheProgramsAndStartsTheMainOne) {
  writeServer(serverRoot);
  writeInstallation();
  // The product's programs running from the installation, as the user left them.
  std::vector<std::unique_ptr<test::ChildProcess>> running;
  for (const char* name : kPrograms) {
    const std::string mark = temp.file(std::string(name) + ".running");
    running.push_back(std::make_unique<test::ChildProcess>(
        test::nativePath(install + "/" + name), Lines{"--mark", test::nativePath(mark)}));
    ASSERT_TRUE(test::waitForMark(mark, kProgramStart)) << name;
  }
  const auto installedBefore = installedFiles();

  test::ProgramWindow& program = startProgram(serverUrl);
  ASSERT_TRUE(waitForServerCheck(program));

  // What the window shows before the press: the licence year from the
  // database client, each row's installed and server version.
  EXPECT_EQ(program.title(), std::string(kWindowCaption));
  EXPECT_EQ(program.text("Label2"), "2027");
  for (const ModuleEntry& row : ModuleCatalogue::rows()) {
    for (const test::VersionPair& pair : test::kVersions) {
      if (row.versionFile == pair.file) {
        EXPECT_EQ(program.text(std::string(row.localLabel).c_str()), pair.installed)
            << row.captionText;
        EXPECT_EQ(program.text(std::string(row.serverLabel).c_str()), pair.server)
            << row.captionText;
      }
    }
  }
  const Lines announcement{"ZelvaK 2027 güncellemeleri yayında.",
                           "Şubat ayı e-Fatura değişiklikleri için lütfen güncelleyiniz."};
  EXPECT_EQ(memoLines(program.text("Memo1").value_or("")), announcement);
  EXPECT_EQ(program.text("BitBtn1"), "Otomatik Güncelle");

  ASSERT_TRUE(pressAutomaticUpdate(program));
  ASSERT_TRUE(waitForUpdateEnd(program));

  EXPECT_EQ(program.text("Label19"), test::kUpdateDone);
  // The rows in the update's order, each new line on top; the mobile row's
  // nested bundle update adds the bundle's line a second time.
  Lines memo{"** Zelvak İndilirdi.",   "** Mobil Sunucu ve Yedekelme İndilirdi.",
             "** DLL ler İndilirdi.",  "** Mobil Yazdırma İndilirdi.",
             "** Raporlar İndilirdi.", "** DLL ler İndilirdi."};
  memo.insert(memo.end(), announcement.begin(), announcement.end());
  memo.push_back("** Otomatik Güncelleme Tamamlandı..");
  EXPECT_EQ(memoLines(program.text("Memo1").value_or("")), memo);
  for (const char* button : {"BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn7"}) {
    EXPECT_FALSE(program.enabled(button)) << button;
  }
  EXPECT_TRUE(program.enabled("BitBtn1"));
  ASSERT_TRUE(closeNormally(program));
  EXPECT_EQ(program.standardError(), "");

  for (std::size_t i = 0; i < running.size(); ++i) {
    EXPECT_TRUE(running[i]->waitForEnd(kProgramStart)) << kPrograms[i] << " was not stopped";
    EXPECT_TRUE(running[i]->endedByKill()) << kPrograms[i];
  }

  // Every module's files are the server's now, apart from the database
  // client library: the program holds it loaded, Windows refuses to replace
  // a loaded library, and the bundle's copies pass a failure over.
  auto expected = installedBefore;
  for (const auto& [path, bytes] : serverNewFiles()) {
    if (path != "gds32.dll") {
      expected[path] = bytes;
    }
  }
  const auto installedAfter = installedFiles();
  for (const auto& [path, bytes] : expected) {
    const auto now = installedAfter.find(path);
    ASSERT_NE(now, installedAfter.end()) << path << " is gone";
    EXPECT_TRUE(now->second == bytes) << path << " is not what it should be (" << now->second.size()
                                      << " bytes, " << bytes.size() << " expected)";
  }
  EXPECT_EQ(installedAfter.size(), expected.size());
  // The version files of the programs are not part of their archives.
  EXPECT_EQ(file("verzk.txt"), "11");
  EXPECT_EQ(file("vermb.txt"), "7");
  EXPECT_EQ(file("verpr.txt"), "4");
  EXPECT_FALSE(fs::exists(install + "/zelvak.chm"));  // stays in the staging folder
  // The start-up fetched the Windows archive library the extraction used.
  EXPECT_EQ(file("7z.dll"), test::readFile(serverRoot + "/7z.dll"));

  // The new main program was started once, in the installation.
  ASSERT_EQ(started.size(), 1u) << "zelvak.exe started by the run";
  const auto mark = test::waitForMark(startMark, kProgramStart);
  ASSERT_TRUE(mark) << "the started main program did not run";
  EXPECT_EQ(mark->pid, started[0]);
  EXPECT_EQ(mark->workingDirectory, test::nativePath(install));
}

}  // namespace
}  // namespace zk
