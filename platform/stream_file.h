#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zk::platform {

// An open file read, written and sought by byte position, as the archive
// library's streams and the replacement files use it. Closed when the object
// goes.
class StreamFile {
 public:
  enum class Origin { Begin = 0, Current = 1, End = 2 };

  StreamFile() = default;
  ~StreamFile();
  StreamFile(StreamFile&& other) noexcept;
  StreamFile& operator=(StreamFile&& other) noexcept;
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;

  // An existing file, for reading; other readers and writers are not kept
  // out. A folder is refused. When it cannot be opened the result is not open
  // and errorNumber() tells why.
  static StreamFile openForReading(const std::string& path);
  // A file that failed to open, with the system's error number.
  static StreamFile failed(int errorNumber);

  bool isOpen() const { return handle_ != kNoHandle; }
  // The system's error number of the last failure (errno, or the Windows
  // error code).
  int errorNumber() const { return error_; }

  // The number of bytes moved, or -1 on failure. A read moves fewer bytes
  // than asked only at the end of the file; a write only when the device
  // refused the rest.
  std::int64_t read(void* data, std::size_t size);
  std::int64_t write(const void* data, std::size_t size);
  bool seek(std::int64_t offset, Origin origin, std::uint64_t& position);
  bool size(std::uint64_t& size);
  bool setSize(std::uint64_t size);
  // Makes the written bytes durable on the device.
  bool flush();
  // Starts moving the written bytes of that range to the device without
  // waiting for them, so that a later flush has less left to wait for. Only
  // a hint: nothing fails.
  void startFlush(std::uint64_t offset, std::uint64_t length);
  bool close();

  // The system's handle (a descriptor or a HANDLE), for the platform layer.
  static constexpr std::intptr_t kNoHandle = -1;
  explicit StreamFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle() const { return handle_; }

 private:
  std::intptr_t handle_ = kNoHandle;
  int error_ = 0;
};

}  // namespace zk::platform
