#include "tests/support/running_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/program_run.h"

namespace zk::test {

RunningProgram::RunningProgram(const std::string& folder,
                               const std::map<std::string, std::string>& environment) {
  char name[] = "/tmp/zk-guncelleme-stderr-XXXXXX";
  const int err = mkstemp(name);
  if (err < 0) {
    throw std::runtime_error("mkstemp failed");
  }
  errorFile_ = name;
  const std::string program = programPath();
  pid_ = fork();
  if (pid_ < 0) {
    close(err);
    throw std::runtime_error("fork failed");
  }
  if (pid_ == 0) {
    const int nothing = open("/dev/null", O_RDWR);
    if (chdir(folder.c_str()) != 0 || nothing < 0 || dup2(nothing, 0) < 0 || dup2(nothing, 1) < 0 ||
        dup2(err, 2) < 0) {
      _exit(126);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("ZK_AUTO_CLOSE_MESSAGE_BOXES", "1", 1);
    for (const auto& [key, value] : environment) {
      setenv(key.c_str(), value.c_str(), 1);
    }
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(err);
}

RunningProgram::~RunningProgram() {
  stop();
  unlink(errorFile_.c_str());
}

std::string RunningProgram::standardError() const {
  std::ifstream in(errorFile_);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool RunningProgram::running() {
  if (ended_) {
    return false;
  }
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    ended_ = true;
  }
  return !ended_;
}

// The database client library catches SIGTERM and SIGINT, so the program is
// killed outright.
bool RunningProgram::stop() {
  if (!running()) {
    return false;
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  ended_ = true;
  return true;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return condition();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace zk::test
