#include "transfer/body_sink.h"

#include "core/error.h"
#include "platform/socket.h"

namespace zk {

namespace {
// From this size on a body's buffer asks the system for large pages.
constexpr std::size_t kLargeBody = 4 * 1024 * 1024;
}  // namespace

void StringSink::expect(std::size_t length) {
  const std::size_t oldCapacity = destination_.capacity();
  destination_.reserve(destination_.size() + length);
  if (destination_.capacity() != oldCapacity && length >= kLargeBody) {
    platform::adviseLargeReceiveBuffer(destination_.data(), destination_.capacity());
  }
}

void FileSink::write(const char* data, std::size_t size) {
  const std::int64_t done = file_.write(data, size);
  if (done > 0) {
    written_ += static_cast<std::size_t>(done);
  }
  if (done != static_cast<std::int64_t>(size)) {
    errorNumber_ = file_.errorNumber();
    throw Error("Stream write error");
  }
  if (flushStep_ != 0 && written_ - flushStarted_ >= flushStep_) {
    file_.startFlush(flushStarted_, written_ - flushStarted_);
    flushStarted_ = written_;
  }
}

}  // namespace zk
