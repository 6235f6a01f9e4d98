// The Windows program run by a scheduled task: guncelleme.exe is a window
// program, yet with --check it answers on the output it was given, opens no
// window and reports by its exit code.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/e2e_win32/update_site.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class WindowsCommandLine : public test::UpdateSiteTest {};

TEST_F(WindowsCommandLine, CheckWritesEveryRowToTheGivenOutputAndTheLogAndExitsWithUpdatesFound) {
  const std::string root = test::hostPathFromEnvironment("ZK_NGINX_ROOT");
  const char* port = std::getenv("ZK_NGINX_PORT");
  if (root.empty() || port == nullptr) {
    GTEST_SKIP() << "no test nginx (ZK_NGINX_ROOT unset): run the tests through scripts/test.sh";
  }
  const std::string name = "e2e-win32-check-" + fs::path(temp.path()).filename().string();
  const std::string serverRoot = root + "/" + name;
  writeServer(serverRoot);
  writeInstallation({"verrp.txt"});
  const std::string log = temp.file("zamanlanmis görev.log");

  test::ProgramWindow& program =
      startProgram("http://127.0.0.1:" + std::string(port) + "/" + name + "/",
                   {"--check", "--log", test::nativePath(log)});
  const std::optional<int> code = program.waitForExit(120s);
  std::error_code ignored;
  fs::remove_all(serverRoot, ignored);
  ASSERT_TRUE(code.has_value()) << program.standardError();
  EXPECT_EQ(*code, 10) << program.standardError();
  EXPECT_EQ(program.window(), nullptr);

  const std::string rows =
      "ZelvaK: mevcut 11, sunucu 12, güncelleme var\n"
      "Mobil: mevcut 7, sunucu 8, güncelleme var\n"
      "Yazdırma: mevcut 4, sunucu 5, güncelleme var\n"
      "Raporlar: mevcut 31, sunucu 31, güncel\n"
      "DLL'ler: mevcut 3, sunucu 4, güncelleme var\n";
  EXPECT_EQ(program.standardOutput(), rows);
  // The log, named with a Turkish letter, tells the run from its start to
  // its verdict.
  const std::string logged = test::readFile(log);
  for (const char* entry : {"başlangıç: guncelleme --check", "sonuç: güncelleme var"}) {
    EXPECT_NE(logged.find(entry), std::string::npos) << entry << " in\n" << logged;
  }
  // Nothing was installed by a check.
  EXPECT_FALSE(fs::exists(install + "/update/zelvak.rar"));
}

}  // namespace
}  // namespace zk
