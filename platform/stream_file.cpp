#include "platform/stream_file.h"

#include <utility>

namespace zk::platform {

StreamFile::~StreamFile() {
  close();
}

StreamFile::StreamFile(StreamFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), error_(other.error_) {}

StreamFile& StreamFile::operator=(StreamFile&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, kNoHandle);
    error_ = other.error_;
  }
  return *this;
}

StreamFile StreamFile::failed(int errorNumber) {
  StreamFile file;
  file.error_ = errorNumber;
  return file;
}

}  // namespace zk::platform
