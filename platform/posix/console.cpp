#include "platform/console.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/descriptor_io.h"

namespace zk::platform {

using posix::writeAll;

void writeStandardOutput(std::string_view text) {
  // Whatever the C++ streams hold goes first, so that the order stays.
  std::fflush(stdout);
  writeAll(STDOUT_FILENO, text);
}

void writeStandardError(std::string_view text) {
  std::fflush(stderr);
  writeAll(STDERR_FILENO, text);
}

void useParentConsole() {}

std::vector<std::string> programArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool standardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

std::string localTimestamp() {
  const time_t now = ::time(nullptr);
  tm local{};
  if (::localtime_r(&now, &local) == nullptr) {
    return "0000-00-00 00:00:00";
  }
  char text[32];
  const std::size_t length = ::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, length);
}

std::int64_t monotonicMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int appendToFile(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    return errno;
  }
  const int failure = writeAll(fd, bytes);
  if (::close(fd) != 0 && failure == 0) {
    return errno;
  }
  return failure;
}

}  // namespace zk::platform
