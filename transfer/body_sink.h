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
class FileSink : public BodySink {
 public:
  explicit FileSink(platform::StreamFile& file) : file_(file) {}
  void write(const char* data, std::size_t size) override;
  std::size_t written() const { return written_; }
  int errorNumber() const { return errorNumber_; }

 private:
  platform::StreamFile& file_;
  std::size_t written_ = 0;
  int errorNumber_ = 0;
};

}  // namespace zk
