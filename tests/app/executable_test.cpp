#include <gtest/gtest.h>

#include <string>

#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

TEST(Executable, ShowsTheWindowWritesAScreenshotAndExitsZeroWhenClosed) {
  test::TempFolder folder;
  test::writeFile(folder.file("zkayarlar.ini"),
                  "[BAGLANTI]\r\nSUNUCU_IP=localhost/1\r\nDB_ADRES=/nowhere.fdb\r\n");
  const std::string shot = folder.file("window.png");
  const test::ProgramResult run =
      test::runProgram(folder.path(), {{"ZK_SCREENSHOT", shot}, {"ZK_QUIT_AFTER_SCREENSHOT", "1"}});
  EXPECT_EQ(run.exitCode, 0);
  // The unreachable database fails the start-up; the window still comes.
  EXPECT_NE(run.standardError.find("ERROR: ib1: Field 'yil' not found.\n"), std::string::npos);
  EXPECT_NE(run.standardError.find("WINDOW SHOWN"), std::string::npos);
  const std::string png = test::readFile(shot);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST(Executable, MissingDatabaseClientLibraryEndsWithCodeOneBeforeAnyWindow) {
  test::TempFolder folder;
  const test::ProgramResult run =
      test::runProgram(folder.path(), {{"ZK_FBCLIENT_LIBRARY", folder.file("no-such-client.so")}});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.standardError.find("ERROR: Exception DatabaseClientError in module "),
            std::string::npos);
  EXPECT_NE(run.standardError.find("\r\nInterBase library libfbclient.so.2 not found in the "
                                   "path. Please install InterBase to use this functionality.\r\n"),
            std::string::npos);
  EXPECT_EQ(run.standardError.find("WINDOW SHOWN"), std::string::npos);
  EXPECT_EQ(run.standardError.find("MESSAGE:"), std::string::npos);
}

TEST(Executable, DatabaseClientWithoutAnEntryPointEndsWithCodeOne) {
  test::TempFolder folder;
  const test::ProgramResult run =
      test::runProgram(folder.path(), {{"ZK_FBCLIENT_LIBRARY", "libc.so.6"}});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.standardError.find("System Error.  Code: 127.\r\n"), std::string::npos);
  EXPECT_EQ(run.standardError.find("WINDOW SHOWN"), std::string::npos);
}

}  // namespace
}  // namespace zk
