#include "platform/shared_library.h"

#include <utility>

namespace zk::platform {

SharedLibrary::~SharedLibrary() {
  release();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), errorText_(std::move(other.errorText_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, nullptr);
    errorText_ = std::move(other.errorText_);
  }
  return *this;
}

}  // namespace zk::platform
