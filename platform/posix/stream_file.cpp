#include "platform/stream_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zk::platform {

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
    const ssize_t n = ::read(static_cast<int>(handle_), bytes + done, size - done);
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
    const ssize_t n = ::write(static_cast<int>(handle_), bytes + done, size - done);
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
  const off_t result = ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), whence);
  if (result < 0) {
    error_ = errno;
    return false;
  }
  position = static_cast<std::uint64_t>(result);
  return true;
}

bool StreamFile::size(std::uint64_t& size) {
  struct stat info {};
  if (fstat(static_cast<int>(handle_), &info) != 0) {
    error_ = errno;
    return false;
  }
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool StreamFile::setSize(std::uint64_t size) {
  if (::ftruncate(static_cast<int>(handle_), static_cast<off_t>(size)) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

bool StreamFile::flush() {
  if (::fsync(static_cast<int>(handle_)) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

void StreamFile::startFlush(std::uint64_t offset, std::uint64_t length) {
  ::sync_file_range(static_cast<int>(handle_), static_cast<off_t>(offset),
                    static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

bool StreamFile::close() {
  if (handle_ == kNoHandle) {
    return true;
  }
  const int result = ::close(static_cast<int>(std::exchange(handle_, kNoHandle)));
  if (result != 0 && errno != EINTR) {
    error_ = errno;
    return false;
  }
  return true;
}

}  // namespace zk::platform
