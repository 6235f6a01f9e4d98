#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/processes.h"

namespace zk::platform {

namespace {

// Reads at most `limit` bytes; stops early at the first NUL when asked to.
std::optional<std::string> readProcFile(const std::string& path, std::size_t limit,
                                        bool stopAtNul) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  std::string content;
  char buffer[4096];
  while (content.size() < limit) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    content.append(buffer, static_cast<std::size_t>(got));
    if (stopAtNul && content.find('\0') != std::string::npos) {
      break;
    }
  }
  close(fd);
  return content;
}

bool isNumber(const char* text) {
  if (*text == '\0') {
    return false;
  }
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') {
      return false;
    }
  }
  return true;
}

// A zombie has ended already; killing it "succeeds" without doing anything.
bool hasEnded(const std::string& procFolder) {
  const auto stat = readProcFile(procFolder + "/stat", 4096, false);
  if (!stat) {
    return true;
  }
  // The command name in brackets may itself hold ")"; the state follows the last one.
  const std::size_t close = stat->rfind(')');
  if (close == std::string::npos || close + 2 >= stat->size()) {
    return true;
  }
  const char state = (*stat)[close + 2];
  return state == 'Z' || state == 'X' || state == 'x';
}

std::optional<std::string> linkTarget(const std::string& path) {
  std::string buffer(4096, '\0');
  const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
    return std::nullopt;
  }
  buffer.resize(static_cast<std::size_t>(length));
  return buffer;
}

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string findInPath(const std::string& program) {
  const char* variable = std::getenv("PATH");
  const std::string path = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) {
      end = path.size();
    }
    std::string folder = path.substr(start, end - start);
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    if (isExecutableFile(candidate)) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

bool startsWithMz(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  char head[2] = {};
  ssize_t got;
  do {
    got = read(fd, head, sizeof head);
  } while (got < 0 && errno == EINTR);
  close(fd);
  return got == 2 && head[0] == 'M' && head[1] == 'Z';
}

// Runs in the child of a possibly multi-threaded process: only calls that are
// safe after fork.
[[noreturn]] void execDetached(char* const argv[]) {
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) {
    sigaction(signal, &defaults, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  setsid();
  const int null = open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
  }
  close_range(3, ~0U, 0);
  execv(argv[0], argv);
  _exit(127);
}

}  // namespace

std::optional<std::vector<ProcessInfo>> listProcesses() {
  std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc) {
    return std::nullopt;
  }
  std::vector<ProcessInfo> processes;
  while (const dirent* entry = readdir(proc.get())) {
    if (!isNumber(entry->d_name)) {
      continue;
    }
    const std::string folder = std::string("/proc/") + entry->d_name;
    if (hasEnded(folder)) {
      continue;
    }
    ProcessInfo process;
    process.id = std::atoi(entry->d_name);
    if (auto exe = linkTarget(folder + "/exe")) {
      process.names.push_back(std::move(*exe));
    }
    if (auto commandLine = readProcFile(folder + "/cmdline", 65536, true)) {
      std::string first = commandLine->substr(0, commandLine->find('\0'));
      if (!first.empty()) {
        process.names.push_back(std::move(first));
      }
    }
    if (auto comm = readProcFile(folder + "/comm", 256, false)) {
      if (!comm->empty() && comm->back() == '\n') {
        comm->pop_back();
      }
      if (!comm->empty()) {
        process.names.push_back(std::move(*comm));
      }
    }
    processes.push_back(std::move(process));
  }
  return processes;
}

bool terminateProcess(int processId) {
  // 0 and negative numbers would address whole process groups.
  return processId > 0 && kill(processId, SIGKILL) == 0;
}

int currentProcessId() {
  return static_cast<int>(getpid());
}

void repaintNotificationArea() {}

void openProgram(const std::string& path) {
  std::vector<std::string> command;
  if (startsWithMz(path)) {
    std::string wine = findInPath("wine");
    if (wine.empty()) {
      return;
    }
    command = {std::move(wine), path};
  } else if (isExecutableFile(path)) {
    command = {path};
  } else {
    return;
  }
  std::vector<char*> argv;
  for (std::string& word : command) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);

  // The intermediate child ends at once, so the program is nobody's child
  // here and never lingers as a zombie of the caller.
  const pid_t child = fork();
  if (child < 0) {
    return;
  }
  if (child == 0) {
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execDetached(argv.data());
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace zk::platform
