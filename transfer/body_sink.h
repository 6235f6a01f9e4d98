#pragma once

#include <cstddef>
#include <string>

#include "platform/stream_file.h"

namespace zk {

// Where the body of a successful answer goes while it arrives.
class BodySink {
 public:
  virtual ~BodySink() = default;
  // `length` more bytes of a body of announced length follow.
  virtual void expect(std::size_t length) { (void)length; }
  // Takes the next bytes of the body; throws Error when it cannot keep them,
  // which ends the GET.
  virtual void write(const char* data, std::size_t size) = 0;
};

// Appends the body to a string.
class StringSink : public BodySink {
 public:
  explicit StringSink(std::string& destination) : destination_(destination) {}
  void expect(std::size_t length) override;
  void write(const char* data, std::size_t size) override { destination_.append(data, size); }

 private:
  std::string& destination_;
};

// Writes the body to an open file as it comes. A write that the device
// refuses throws Error("Stream write error"); errorNumber() then tells why.
// Every `flushStep` bytes (0: never) the written bytes are sent on to the
// device without waiting, so that the flush before the file is committed,
// which the window waits for, finds little left to write.
class FileSink : public BodySink {
 public:
  static constexpr std::size_t kFlushStep = 8 * 1024 * 1024;
  explicit FileSink(platform::StreamFile& file, std::size_t flushStep = kFlushStep)
      : file_(file), flushStep_(flushStep) {}
  void write(const char* data, std::size_t size) override;
  std::size_t written() const { return written_; }
  int errorNumber() const { return errorNumber_; }

 private:
  platform::StreamFile& file_;
  std::size_t flushStep_;
  std::size_t written_ = 0;
  // Written bytes below this offset are on their way to the device.
  std::size_t flushStarted_ = 0;
  int errorNumber_ = 0;
};

}  // namespace zk
