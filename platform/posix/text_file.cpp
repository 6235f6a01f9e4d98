#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/files.h"
#include "platform/posix/descriptor_io.h"
#include "platform/text_file.h"

namespace zk::platform {
namespace {

// Windows refuses a read-sharing open while another handle writes the file;
// on Linux the nearest sign of such a writer is a write lock over the file.
bool heldForWriting(int fd) {
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

}  // namespace

TextFile::~TextFile() {
  if (handle_ != -1) {
    ::close(static_cast<int>(handle_));
  }
}

int TextFile::openForReading(const std::string& path) {
  if (handle_ != -1) {
    close();
  }
  if (const int code = injectedTextFileFailure(TextFileOperation::OpenForReading, path)) {
    return code;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return dosErrorCode(errno);
  }
  if (heldForWriting(fd)) {
    ::close(fd);
    return kSharingViolation;
  }
  handle_ = fd;
  path_ = path;
  pending_.clear();
  return 0;
}

int TextFile::create(const std::string& path) {
  if (handle_ != -1) {
    close();
  }
  if (const int code = injectedTextFileFailure(TextFileOperation::Create, path)) {
    return code;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    return dosErrorCode(errno);
  }
  handle_ = fd;
  path_ = path;
  pending_.clear();
  return 0;
}

int TextFile::read(std::string& out, std::size_t size) {
  if (handle_ == -1) {
    return kFileNotOpen;
  }
  if (const int code = injectedTextFileFailure(TextFileOperation::Read, path_)) {
    return code;
  }
  const std::size_t start = out.size();
  out.resize(start + size);
  ssize_t got;
  do {
    got = ::read(static_cast<int>(handle_), out.data() + start, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    const int error = errno;
    out.resize(start);
    return dosErrorCode(error);
  }
  out.resize(start + static_cast<std::size_t>(got));
  return 0;
}

int TextFile::close() {
  if (handle_ == -1) {
    return kFileNotOpen;
  }
  int code = injectedTextFileFailure(TextFileOperation::Close, path_);
  if (code == 0 && !pending_.empty()) {
    code = dosErrorCode(posix::writeAll(static_cast<int>(handle_), pending_));
  }
  if (::close(static_cast<int>(handle_)) != 0 && code == 0 && errno != EINTR) {
    code = dosErrorCode(errno);
  }
  handle_ = -1;
  pending_.clear();
  return code;
}

std::optional<std::string> readWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return content;
}

}  // namespace zk::platform
