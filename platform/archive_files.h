#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zk::platform {

// A file as the archive library's streams see it: bytes read, written and
// sought. Closed when the object goes.
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
  // out. When it cannot be opened the result is not open and errorNumber()
  // tells why.
  static StreamFile openForReading(const std::string& path);

  bool isOpen() const { return handle_ >= 0; }
  // The errno value of the last failure.
  int errorNumber() const { return error_; }

  // The number of bytes moved, or -1 on failure. A read moves fewer bytes
  // than asked only at the end of the file; a write only when the device
  // refused the rest.
  std::int64_t read(void* data, std::size_t size);
  std::int64_t write(const void* data, std::size_t size);
  bool seek(std::int64_t offset, Origin origin, std::uint64_t& position);
  bool size(std::uint64_t& size);
  bool setSize(std::uint64_t size);
  bool close();

 private:
  explicit StreamFile(int handle) : handle_(handle) {}
  static StreamFile failed(int errnoValue);

  int handle_ = -1;
  int error_ = 0;

  friend StreamFile createReplacement(const std::string&, std::string&);
};

// Writing a file so that the old one survives until the new one is complete:
// the content goes to a fresh file beside the target, which is then moved
// over the target in one step.
//
// Checks that an existing target could be opened for writing (as replacing
// it in place would need), then creates an empty file with a unique name in
// the target's folder, with the target's permission bits or, for a new
// target, normal ones. Its path goes to replacementPath. On failure the
// result is not open and carries the errno value.
StreamFile createReplacement(const std::string& target, std::string& replacementPath);
// Moves a finished replacement over its target: 0, or the errno value.
int commitReplacement(const std::string& replacementPath, const std::string& target);

// Creates every missing folder on the way to and including path; failures are
// passed over (the file created below it then reports them).
void createFolderPath(const std::string& path);

}  // namespace zk::platform
