#include "platform/archive_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

namespace zk::platform {

StreamFile::~StreamFile() {
  close();
}

StreamFile::StreamFile(StreamFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), error_(other.error_) {}

StreamFile& StreamFile::operator=(StreamFile&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, -1);
    error_ = other.error_;
  }
  return *this;
}

StreamFile StreamFile::failed(int errnoValue) {
  StreamFile file;
  file.error_ = errnoValue;
  return file;
}

StreamFile StreamFile::openForReading(const std::string& path) {
  const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (handle < 0) {
    return failed(errno);
  }
  struct stat info {};
  if (fstat(handle, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(handle);
    return failed(EISDIR);
  }
  return StreamFile(handle);
}

std::int64_t StreamFile::read(void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(handle_, bytes + done, size - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      error_ = errno;
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    if (n == 0) {
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t StreamFile::write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(handle_, bytes + done, size - done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) {
        continue;
      }
      error_ = n < 0 ? errno : ENOSPC;
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

bool StreamFile::seek(std::int64_t offset, Origin origin, std::uint64_t& position) {
  int whence = SEEK_SET;
  switch (origin) {
    case Origin::Begin:
      whence = SEEK_SET;
      break;
    case Origin::Current:
      whence = SEEK_CUR;
      break;
    case Origin::End:
      whence = SEEK_END;
      break;
  }
  const off_t result = ::lseek(handle_, static_cast<off_t>(offset), whence);
  if (result < 0) {
    error_ = errno;
    return false;
  }
  position = static_cast<std::uint64_t>(result);
  return true;
}

bool StreamFile::size(std::uint64_t& size) {
  struct stat info {};
  if (fstat(handle_, &info) != 0) {
    error_ = errno;
    return false;
  }
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool StreamFile::setSize(std::uint64_t size) {
  if (::ftruncate(handle_, static_cast<off_t>(size)) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

bool StreamFile::close() {
  if (handle_ < 0) {
    return true;
  }
  const int result = ::close(std::exchange(handle_, -1));
  if (result != 0 && errno != EINTR) {
    error_ = errno;
    return false;
  }
  return true;
}

StreamFile createReplacement(const std::string& target, std::string& replacementPath) {
  bool replacing = false;
  mode_t mode = 0;
  struct stat info {};
  if (stat(target.c_str(), &info) == 0) {
    // The old file must be one we could have overwritten in place: a folder,
    // a read-only file or a running program is refused as it would be then.
    const int probe = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (probe < 0) {
      return StreamFile::failed(errno);
    }
    ::close(probe);
    replacing = true;
    mode = info.st_mode & 07777;
  } else if (errno != ENOENT) {
    return StreamFile::failed(errno);
  }

  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate =
        folder + ".zk-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".part";
    const int handle =
        ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
    if (handle < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return StreamFile::failed(errno);
    }
    if (replacing) {
      fchmod(handle, mode);
    }
    replacementPath = std::move(candidate);
    return StreamFile(handle);
  }
  return StreamFile::failed(EEXIST);
}

int commitReplacement(const std::string& replacementPath, const std::string& target) {
  return ::rename(replacementPath.c_str(), target.c_str()) == 0 ? 0 : errno;
}

void createFolderPath(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string level = path.substr(0, slash);
    if (!level.empty()) {
      ::mkdir(level.c_str(), 0777);
    }
    if (slash == std::string::npos) {
      break;
    }
  }
}

}  // namespace zk::platform
