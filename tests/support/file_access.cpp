#include "tests/support/file_access.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace zk::test {

#ifdef _WIN32
FileHeldLocked::FileHeldLocked(const std::string& path) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot open " + path);
  }
  handle_ = reinterpret_cast<long long>(file);
}

void FileHeldLocked::release() {
  if (handle_ != -1) {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
  }
}

void makeFolderReadOnly(const std::string&) {
  throw std::runtime_error("Windows folders have no write bit");
}

std::string runUnprivileged(const std::function<std::string()>&) {
  throw std::runtime_error("Windows cannot run work as another user id");
}
#else
FileHeldLocked::FileHeldLocked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    throw std::runtime_error("cannot open " + path);
  }
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    ::close(fd);
    throw std::runtime_error("cannot lock " + path);
  }
  handle_ = fd;
}

void FileHeldLocked::release() {
  if (handle_ != -1) {
    ::close(static_cast<int>(handle_));
    handle_ = -1;
  }
}

void makeFolderReadOnly(const std::string& path) {
  if (::chmod(path.c_str(), 0555) != 0) {
    throw std::runtime_error("cannot chmod " + path);
  }
}

std::string runUnprivileged(const std::function<std::string()>& body) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    throw std::runtime_error("fork failed");
  }
  if (pid == 0) {
    ::close(fds[0]);
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      ::_exit(3);
    }
    std::string out;
    try {
      out = body();
    } catch (const std::exception& e) {
      out = std::string("unexpected: ") + e.what();
    }
    (void)!::write(fds[1], out.data(), out.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0) {
    out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("child status " + std::to_string(status));
  }
  return out;
}
#endif

#ifdef _WIN32
bool runningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string systemArchiveLibrary() {
  char buffer[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  std::string path(buffer, length);
  return path.substr(0, path.find_last_of("\\/") + 1) + "7z.dll";
}

bool libraryLoaded(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("\\/");
  std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  if (name.find('.') == std::string::npos) {
    name = "lib" + name + ".dll";
  }
  return GetModuleHandleA(name.c_str()) != nullptr;
}

std::string systemErrorText(unsigned code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text != nullptr ? text : "", length);
  LocalFree(text);
  while (!message.empty() && (std::strchr(" \t\r\n.", message.back()) != nullptr)) {
    message.pop_back();
  }
  return message;
}
#else
bool runningUnderWine() {
  return false;
}

std::string systemArchiveLibrary() {
  return "/usr/lib/p7zip/7z.so";
}

bool libraryLoaded(const std::string& fileName) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(fileName) != std::string::npos) {
      return true;
    }
  }
  return false;
}

std::string systemErrorText(unsigned code) {
  return std::strerror(static_cast<int>(code));
}
#endif

FileHeldLocked::~FileHeldLocked() {
  release();
}

}  // namespace zk::test
