#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace zk::test {

namespace {

#ifdef _WIN32
// Windows has no mkdtemp: a random name, taken only when the folder did not
// exist yet (create_directory is false for an existing one).
std::string makeUniqueFolder() {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::mt19937_64 random(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                 reinterpret_cast<std::uintptr_t>(&base)));
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "zk-test-";
    for (int i = 0; i < 8; ++i) {
      name += kLetters[random() % (sizeof kLetters - 1)];
    }
    std::error_code error;
    if (std::filesystem::create_directory(base / name, error)) {
      // Forward slashes, so that paths built with "/" read alike.
      return (base / name).generic_string();
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}
#else
std::string makeUniqueFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zk-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return buffer.data();
}
#endif

}  // namespace

TempFolder::TempFolder() : path_(makeUniqueFolder()) {}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Make everything writable again so that tests that took rights away clean
  // up (on Windows this clears the read-only attribute).
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::remove_all(path_, ignored);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& folder)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(folder);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::string hostPath(const std::string& path) {
#ifdef _WIN32
  if (!path.empty() && path.front() == '/') {
    return "Z:" + path;
  }
#endif
  return path;
}

std::string hostPathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : hostPath(value);
}

int currentProcessId() {
#ifdef _WIN32
  return static_cast<int>(GetCurrentProcessId());
#else
  return static_cast<int>(::getpid());
#endif
}

#ifdef _WIN32
ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long) {}
ScopedFileSizeLimit::~ScopedFileSizeLimit() = default;
#else
ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long bytes) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) {
    throw std::runtime_error("getrlimit failed");
  }
  saved_ = limit.rlim_cur;
  previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
    std::signal(SIGXFSZ, previousHandler_);
    throw std::runtime_error("setrlimit failed");
  }
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = static_cast<rlim_t>(saved_);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previousHandler_);
}
#endif

void writeFile(const std::string& path, const std::string& bytes) {
  // Paths are UTF-8; on Windows a narrow path would be read in the ANSI code page.
  std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path);
  }
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string nativePath(std::string path) {
  if (kOnWindows) {
    for (char& c : path) {
      if (c == '/') {
        c = '\\';
      }
    }
  }
  return path;
}

}  // namespace zk::test
