// The command-line runs' log file and clock, on real files.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <regex>
#include <thread>

#include "platform/console.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

TEST(ConsoleCalls, AppendCreatesTheFileAndKeepsWhatItHeld) {
  test::TempFolder folder;
  const std::string log = folder.file("gece.log");
  EXPECT_EQ(platform::appendToFile(log, "bir\n"), 0);
  EXPECT_EQ(platform::appendToFile(log, ""), 0);
  EXPECT_EQ(platform::appendToFile(log, "iki\n"), 0);
  EXPECT_EQ(test::readFile(log), "bir\niki\n");
  // The system's own numbers: a missing folder, and a folder as the file.
  EXPECT_EQ(platform::appendToFile(folder.file("yok/gece.log"), "x"),
            test::kOnWindows ? 3 : ENOENT);
  EXPECT_EQ(platform::appendToFile(folder.path(), "x"), test::kOnWindows ? 5 : EISDIR);
}

TEST(ConsoleCalls, LocalTimestampAndAClockThatMovesForward) {
  EXPECT_TRUE(std::regex_match(platform::localTimestamp(),
                               std::regex("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}")));
  const std::int64_t first = platform::monotonicMilliseconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_GE(platform::monotonicMilliseconds() - first, 20);
}

}  // namespace
}  // namespace zk
