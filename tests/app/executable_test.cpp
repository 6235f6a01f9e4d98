#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.h"

namespace zk {
namespace {

std::string executable() {
  const char* build = std::getenv("ZK_BUILD_DIR");
  return std::string(build != nullptr ? build : "build") + "/app/guncelleme";
}

TEST(Executable, ShowsTheWindowWritesAScreenshotAndExitsZeroWhenClosed) {
  test::TempFolder folder;
  const std::string shot = folder.file("window.png");
  const std::string command =
      "cd '" + folder.path() + "' && QT_QPA_PLATFORM=offscreen ZK_SCREENSHOT='" + shot +
      "' ZK_QUIT_AFTER_SCREENSHOT=1 timeout 60 '" + executable() + "' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string png = test::readFile(shot);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace zk
