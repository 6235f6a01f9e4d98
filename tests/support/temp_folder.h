#pragma once

#include <string>

namespace zk::test {

// A fresh folder below the system's temporary folder, removed with everything
// in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Makes a folder the process's working directory for the life of the object.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& folder);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// A path of the build machine as the test program sees it: under Wine the
// machine's root is drive Z, so "/srv/x" becomes "Z:/srv/x".
std::string hostPath(const std::string& path);
// The environment variable holding a path of the build machine, as hostPath
// gives it; empty when the variable is not set.
std::string hostPathFromEnvironment(const char* name);

// The path with the separator the system's own paths use ("\" on Windows),
// as the program's local paths and the system's full paths come back.
std::string nativePath(std::string path);

// The test process's id.
int currentProcessId();

// True in the Windows build: for the few cases the tests skip there.
#ifdef _WIN32
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// Limits the size of files this process writes for the life of the object
// (writes beyond it fail as on a full disk, without a signal). Windows has no
// such limit: there `available` is false and the object does nothing.
class ScopedFileSizeLimit {
 public:
  static constexpr bool available = !kOnWindows;
  explicit ScopedFileSizeLimit(unsigned long bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  unsigned long long saved_ = 0;
  void (*previousHandler_)(int) = nullptr;
};

// Whole-file helpers for test set-up and checks (bytes, no conversion).
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

}  // namespace zk::test
