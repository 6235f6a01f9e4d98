#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace zk::platform {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closing a written file can report a late write error.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool copyContent(int from, int to) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (got == 0) {
      return true;
    }
    if (!writeAll(to, buffer.data(), static_cast<std::size_t>(got))) {
      return false;
    }
  }
}

std::string temporaryPattern(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  return folder + "." + name + ".XXXXXX";
}

}  // namespace

bool copyFileOverwrite(const std::string& source, const std::string& target) {
  Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) {
    return false;
  }
  struct stat sourceInfo {};
  if (::fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    return false;
  }
  mode_t mode = sourceInfo.st_mode & 07777;
  struct stat targetInfo {};
  if (::stat(target.c_str(), &targetInfo) == 0) {
    if (S_ISDIR(targetInfo.st_mode)) {
      return false;
    }
    mode = targetInfo.st_mode & 07777;
  }

  std::string temporary = temporaryPattern(target);
  Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!out.valid()) {
    return false;
  }
  const bool written =
      copyContent(in.get(), out.get()) && ::fchmod(out.get(), mode) == 0 && ::fsync(out.get()) == 0;
  if (!out.close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace zk::platform
