// Whether standard error is a terminal, on a real pseudo-terminal and a real
// pipe.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/console.h"

namespace zk {
namespace {

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

}  // namespace
}  // namespace zk
