#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace zk {
namespace {

struct Run {
  int exitCode = -1;
  std::string standardError;
};

// Runs guncelleme in `folder` offscreen, with message boxes recorded on
// standard error and closed at once. Killed when it runs longer than a minute.
Run runProgram(const std::string& executable, const std::string& folder) {
  Run run;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe failed";
    return run;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    if (chdir(folder.c_str()) != 0 || null < 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 ||
        dup2(fds[1], 2) < 0) {
      _exit(126);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("ZK_AUTO_CLOSE_MESSAGE_BOXES", "1", 1);
    execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool killed = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    pollfd readable{fds[0], POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
      continue;
    }
    char buffer[4096];
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got <= 0) {
      break;
    }
    run.standardError.append(buffer, static_cast<std::size_t>(got));
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_FALSE(killed) << "guncelleme did not end within a minute";
  if (WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  return run;
}

std::string executablePath() {
  const char* buildDir = std::getenv("ZK_BUILD_DIR");
  return buildDir ? std::string(buildDir) + "/app/guncelleme" : std::string();
}

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++found;
  }
  return found;
}

void expectEndsAfterTheMessageWithoutWindow(const Run& run) {
  EXPECT_EQ(run.exitCode, 0) << run.standardError;
  EXPECT_NE(run.standardError.find("MESSAGE: Ayar Dosyası okunamadı.. Program sonlandırılacak\n"),
            std::string::npos)
      << run.standardError;
  EXPECT_EQ(count(run.standardError, "MESSAGE: "), 1) << run.standardError;
  EXPECT_EQ(run.standardError.find("WINDOW SHOWN"), std::string::npos) << run.standardError;
}

class MissingSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    executable = executablePath();
    ASSERT_FALSE(executable.empty()) << "ZK_BUILD_DIR is not set";
    ASSERT_TRUE(std::filesystem::is_regular_file(executable)) << executable;
  }
  std::string executable;
  test::TempFolder folder;
};

TEST_F(MissingSettingsFile, ProgramShowsTheMessageAndExitsZeroWithoutWindow) {
  expectEndsAfterTheMessageWithoutWindow(runProgram(executable, folder.path()));
}

TEST_F(MissingSettingsFile, FolderNamedLikeTheSettingsFileCountsAsMissing) {
  std::filesystem::create_directory(folder.file("zkayarlar.ini"));
  expectEndsAfterTheMessageWithoutWindow(runProgram(executable, folder.path()));
}

}  // namespace
}  // namespace zk
