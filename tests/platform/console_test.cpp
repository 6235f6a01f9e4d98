// The system calls behind the command-line runs, on real files, a real
// pseudo-terminal and a real pipe.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <regex>

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
  EXPECT_EQ(platform::appendToFile(folder.file("yok/gece.log"), "x"), ENOENT);
  EXPECT_EQ(platform::appendToFile(folder.path(), "x"), EISDIR);
}

// Whether standard error counts as a terminal, asked in a child whose
// standard error is the given descriptor.
bool terminalInChild(int fd) {
  const pid_t child = fork();
  if (child == 0) {
    dup2(fd, STDERR_FILENO);
    _exit(platform::standardErrorIsTerminal() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(ConsoleCalls, StandardErrorIsATerminalOnlyOnATerminal) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);

  EXPECT_TRUE(terminalInChild(terminal));
  EXPECT_FALSE(terminalInChild(pipeEnds[1]));

  close(terminal);
  close(master);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

TEST(ConsoleCalls, LocalTimestampAndAClockThatMovesForward) {
  EXPECT_TRUE(std::regex_match(platform::localTimestamp(),
                               std::regex("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}")));
  const std::int64_t first = platform::monotonicMilliseconds();
  usleep(20000);
  EXPECT_GE(platform::monotonicMilliseconds() - first, 20);
}

}  // namespace
}  // namespace zk
