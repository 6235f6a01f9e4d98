#include "tests/helpers/stand_in.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace zk::test {

#ifndef _WIN32
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
#endif

std::string standInProgram() {
  return ZK_STANDIN_PATH;
}

std::string copyStandIn(const std::string& folder, const std::string& name) {
  const std::string target = folder + "/" + name;
  // UTF-8 names ("zkgül.exe"): a narrow path would be read in the ANSI code
  // page on Windows.
  const auto path = std::filesystem::u8path(target);
  std::filesystem::copy_file(standInProgram(), path,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(path, std::filesystem::perms(0755));
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

#ifdef _WIN32
namespace {

// The exit code this object's own kill gives, told apart from the 0 of the
// product's stopping.
constexpr UINT kCleanupExitCode = 0xDEAD;

std::wstring widen(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// One command-line word as CommandLineToArgvW and the C runtime split it.
std::wstring quoted(const std::wstring& word) {
  if (!word.empty() && word.find_first_of(L" \t\"") == std::wstring::npos) {
    return word;
  }
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

HANDLE handleOf(void* handle) {
  return static_cast<HANDLE>(handle);
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& argv0, std::optional<int> user) {
  if (user) {
    throw std::runtime_error("Windows cannot start a program as another user id");
  }
  std::wstring commandLine = quoted(widen(argv0.empty() ? program : argv0));
  for (const std::string& argument : arguments) {
    commandLine += L" " + quoted(widen(argument));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(widen(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &info)) {
    throw std::runtime_error("cannot start " + program + ": error " +
                             std::to_string(GetLastError()));
  }
  CloseHandle(info.hThread);
  handle_ = info.hProcess;
  pid_ = static_cast<int>(info.dwProcessId);
}

ChildProcess::~ChildProcess() {
  if (!ended_) {
    TerminateProcess(handleOf(handle_), kCleanupExitCode);
    WaitForSingleObject(handleOf(handle_), INFINITE);
  }
  CloseHandle(handleOf(handle_));
}

bool ChildProcess::waitForEnd(std::chrono::milliseconds timeout) {
  if (!ended_) {
    if (WaitForSingleObject(handleOf(handle_), static_cast<DWORD>(timeout.count())) !=
        WAIT_OBJECT_0) {
      return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(handleOf(handle_), &code);
    status_ = static_cast<int>(code);
    ended_ = true;
  }
  return true;
}

bool ChildProcess::endedByKill() const {
  return ended_ && status_ == 0;
}

AdoptedProcess::~AdoptedProcess() {
  if (pid_ <= 0) {
    return;
  }
  const HANDLE process =
      OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid_));
  if (process != nullptr) {
    if (TerminateProcess(process, kCleanupExitCode)) {
      WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
  }
}

// Windows keeps no ended children around for their parent to collect.
void collectOrphans() {}

std::string runInChild(std::optional<int> user, const std::function<std::string()>& work) {
  if (user) {
    throw std::runtime_error("Windows cannot run work as another user id");
  }
  try {
    return work();
  } catch (...) {
    throw std::runtime_error("child work failed");
  }
}

bool runningAsRoot() {
  return false;
}
#else
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

#endif

namespace {

// The C runtime's _putenv_s also sets the process environment that started
// programs inherit; an empty value removes the variable.
void setVariable(const std::string& name, const std::string* value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value != nullptr ? value->c_str() : "");
#else
  if (value != nullptr) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
#endif
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::string& value)
    : name_(name) {
  if (const char* old = std::getenv(name.c_str())) {
    previous_ = old;
  }
  setVariable(name, &value);
}

ScopedEnvironment::~ScopedEnvironment() {
  setVariable(name_, previous_ ? &*previous_ : nullptr);
}

}  // namespace zk::test
