#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zk::platform {

// DOS code of an open refused because another program holds the file for writing.
inline constexpr int kSharingViolation = 32;
// DOS code of an operation on a file that is not open.
inline constexpr int kFileNotOpen = 103;

// A text file as the program's version-file routines use it: opened for
// reading, or created for writing with the writes held back until close.
// Every operation returns 0 when it worked, otherwise the DOS error code of
// the failure (2 file not found, 5 access denied, 32 sharing violation,
// 101 disk full, ...). Destroying an open file closes it without a report.
class TextFile {
 public:
  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Opens an existing file for reading. Other readers are welcome; a file that
  // another open file holds under a write lock is refused with kSharingViolation.
  int openForReading(const std::string& path);
  // Creates the file for writing, emptying one that exists.
  int create(const std::string& path);
  // Appends up to `size` bytes to `out`; nothing is appended at the end of the file.
  int read(std::string& out, std::size_t size);
  // Buffers the bytes; they reach the file at close.
  int write(std::string_view bytes);
  // Writes what is buffered and closes. The file is closed afterwards even
  // when this reports a failure.
  int close();
  bool isOpen() const { return handle_ != -1; }

 private:
  // A descriptor or a HANDLE.
  std::intptr_t handle_ = -1;
  std::string path_;
  std::string pending_;
};

enum class TextFileOperation { OpenForReading, Create, Read, Write, Close };

// For tests, where the real failure cannot be provoked (a locked file for
// root, a failing disk): the hook is asked before every TextFile operation
// with the file's path; a nonzero answer makes the operation fail with that
// DOS code without touching the file. An empty hook removes it.
using TextFileFailureHook = std::function<int(TextFileOperation, const std::string& path)>;
void setTextFileFailureHook(TextFileFailureHook hook);
// For the systems' TextFile: the hook's answer for an operation (0 without one).
int injectedTextFileFailure(TextFileOperation operation, const std::string& path);

// The whole content of a file as bytes; nothing when it cannot be read
// (missing, a folder, no right to read it).
std::optional<std::string> readWholeFile(const std::string& path);

}  // namespace zk::platform
