#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files.h"

namespace zk::platform {

std::string workingDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) {
      return ".";
    }
    buffer.resize(buffer.size() * 2);
  }
  std::string dir(buffer.data());
  if (dir.size() > 1 && dir.back() == '/') {
    dir.pop_back();
  }
  return dir == "/" ? std::string() : dir;
}

std::string programFolder() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
    return {};
  }
  const std::string path(buffer.data(), static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string localPath(const std::string& name) {
  return workingDirectory() + kPathSeparator + name;
}

std::string expandFileName(const std::string& path) {
  std::string full =
      (!path.empty() && path.front() == '/') ? path : workingDirectory() + "/" + path;
  std::vector<std::string> parts;
  std::size_t start = 1;
  while (start <= full.size()) {
    std::size_t end = full.find('/', start);
    if (end == std::string::npos) {
      end = full.size();
    }
    std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) {
        parts.pop_back();
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) {
    result += "/" + part;
  }
  if (!full.empty() && full.back() == '/' && !result.empty()) {
    result += "/";
  }
  return result.empty() ? "/" : result;
}

bool fileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool folderExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool createFolder(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0;
}

bool deleteFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

int dosErrorCode(int errnoValue) {
  switch (errnoValue) {
    case ENOENT:
      return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return 5;
    case ENOSPC:
      return 101;
    default:
      return errnoValue;
  }
}

std::string systemErrorText(int errnoValue) {
  return trimSystemText(std::strerror(errnoValue));
}

}  // namespace zk::platform
