#include "tests/helpers/stand_in.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace zk::test {

namespace {

// In a forked child: become the user, or end the child.
void becomeUser(std::optional<int> user) {
  if (!user || geteuid() != 0) {
    return;
  }
  const auto id = static_cast<uid_t>(*user);
  if (setgroups(0, nullptr) != 0 || setresgid(id, id, id) != 0 || setresuid(id, id, id) != 0) {
    _exit(126);
  }
}

}  // namespace

std::string standInProgram() {
  return ZK_STANDIN_PATH;
}

std::string copyStandIn(const std::string& folder, const std::string& name) {
  const std::string target = folder + "/" + name;
  std::filesystem::copy_file(standInProgram(), target,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(target, std::filesystem::perms(0755));
  return target;
}

std::optional<StandInMark> waitForMark(const std::string& file, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!std::filesystem::exists(file)) {
    if (std::chrono::steady_clock::now() > deadline) {
      return std::nullopt;
    }
    std::this_thread::sleep_for(5ms);
  }
  StandInMark mark;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t equals = line.find('=');
    const std::string key = line.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
    if (key == "pid") {
      mark.pid = std::stoi(value);
    } else if (key == "session") {
      mark.session = std::stoi(value);
    } else if (key == "cwd") {
      mark.workingDirectory = value;
    } else if (key == "stdin") {
      mark.standardStreams[0] = value;
    } else if (key == "stdout") {
      mark.standardStreams[1] = value;
    } else if (key == "stderr") {
      mark.standardStreams[2] = value;
    } else if (key == "arg") {
      mark.arguments.push_back(value);
    }
  }
  return mark;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& argv0, std::optional<int> user) {
  std::vector<std::string> words{argv0.empty() ? program : argv0};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);

  // The pipe closes on a successful exec; a failed one sends its errno.
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  pid_ = fork();
  if (pid_ < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    throw std::runtime_error("fork failed");
  }
  if (pid_ == 0) {
    close(pipeFds[0]);
    becomeUser(user);
    execv(program.c_str(), argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t sent = write(pipeFds[1], &error, sizeof error);
    _exit(127);
  }
  close(pipeFds[1]);
  int error = 0;
  ssize_t got;
  do {
    got = read(pipeFds[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(pipeFds[0]);
  if (got != 0) {
    waitpid(pid_, &status_, 0);
    ended_ = true;
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
  }
}

ChildProcess::~ChildProcess() {
  if (!ended_) {
    kill(pid_, SIGKILL);
    while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
  }
}

bool ChildProcess::waitForEnd(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!ended_) {
    const pid_t result = waitpid(pid_, &status_, WNOHANG);
    if (result == pid_ || (result < 0 && errno != EINTR)) {
      ended_ = true;
    } else if (std::chrono::steady_clock::now() > deadline) {
      return false;
    } else {
      std::this_thread::sleep_for(2ms);
    }
  }
  return true;
}

bool ChildProcess::endedByKill() const {
  return ended_ && WIFSIGNALED(status_) && WTERMSIG(status_) == SIGKILL;
}

AdoptedProcess::~AdoptedProcess() {
  if (pid_ > 0 && kill(pid_, SIGKILL) == 0) {
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

void collectOrphans() {
  prctl(PR_SET_CHILD_SUBREAPER, 1);
}

std::string runInChild(std::optional<int> user, const std::function<std::string()>& work) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    close(pipeFds[0]);
    becomeUser(user);
    int code = 0;
    try {
      const std::string result = work();
      std::size_t sent = 0;
      while (sent < result.size()) {
        const ssize_t wrote = write(pipeFds[1], result.data() + sent, result.size() - sent);
        if (wrote <= 0) {
          _exit(125);
        }
        sent += static_cast<std::size_t>(wrote);
      }
    } catch (...) {
      code = 124;
    }
    _exit(code);
  }
  close(pipeFds[1]);
  std::string output;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("child work failed with status " + std::to_string(status));
  }
  return output;
}

bool runningAsRoot() {
  return geteuid() == 0;
}

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::string& value)
    : name_(name) {
  if (const char* old = std::getenv(name.c_str())) {
    previous_ = old;
  }
  setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (previous_) {
    setenv(name_.c_str(), previous_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

}  // namespace zk::test
