#pragma once

#include <functional>
#include <string>

namespace zk::test {

// Holds a file open so that others cannot write it for the life of the object:
// an open file description write lock on Linux; on Windows the file opened
// without sharing, so that every other open fails with a sharing violation.
class FileHeldLocked {
 public:
  explicit FileHeldLocked(const std::string& path);
  ~FileHeldLocked();
  FileHeldLocked(const FileHeldLocked&) = delete;
  FileHeldLocked& operator=(const FileHeldLocked&) = delete;
  // Lets the file go before the object does.
  void release();

 private:
  long long handle_ = -1;
};

// Takes the write right of everybody from a folder (mode 0555). Windows has
// no such bit for folders: there this throws.
void makeFolderReadOnly(const std::string& path);

// Runs `body` in a child process as the unprivileged user 65534 (the tests may
// run as root, whom no permission stops) and returns what it returned, or
// "unexpected: " and the exception's text. Linux only: on Windows this throws.
std::string runUnprivileged(const std::function<std::string()>& body);

}  // namespace zk::test

namespace zk::test {

// Whether the test runs under Wine rather than on Windows itself: for the
// few cases where Wine's own implementation of a service departs from Windows.
bool runningUnderWine();

// The real archive library the tests load: the system's p7zip on Linux; on
// Windows the 7z.dll copied beside the test program at build time.
std::string systemArchiveLibrary();
// Whether a library whose path contains `fileName` is loaded in this process.
bool libraryLoaded(const std::string& fileName);
// The system's message for an error number (FormatMessage on Windows,
// strerror elsewhere), without the trailing blanks and full stop.
std::string systemErrorText(unsigned code);

}  // namespace zk::test
