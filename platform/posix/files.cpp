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

std::string localPath(const std::string& name) {
  return workingDirectory() + "/" + name;
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

FileReplaceResult replaceFileContents(const std::string& path, const std::string& bytes) {
  using Failure = FileReplaceResult::Failure;
  struct stat existing {};
  const bool exists = stat(path.c_str(), &existing) == 0;
  if (exists) {
    // The target must be writable now, as it would be for writing in place.
    const int probe = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (probe < 0) {
      return {Failure::Create, errno};
    }
    close(probe);
  }
  static unsigned counter = 0;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temporary = path + ".~" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt > 100)) {
      return {Failure::Create, errno};
    }
  }
  if (exists) {
    fchmod(fd, existing.st_mode & 07777);
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      // Only the superuser may give the file away; the new file stays ours.
    }
  }
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  int writeError = 0;
  while (left > 0) {
    const ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      writeError = errno;
      break;
    }
    if (written == 0) {
      writeError = EIO;
      break;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (close(fd) != 0 && writeError == 0) {
    writeError = errno;
  }
  if (writeError != 0) {
    unlink(temporary.c_str());
    return {Failure::Write, writeError};
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    unlink(temporary.c_str());
    return {Failure::Create, renameError};
  }
  return {};
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

std::string trimSystemText(std::string text) {
  while (!text.empty()) {
    const auto c = static_cast<unsigned char>(text.back());
    if (c <= ' ' || c == '.') {
      text.pop_back();
    } else {
      break;
    }
  }
  return text;
}

std::string systemErrorText(int errnoValue) {
  return trimSystemText(std::strerror(errnoValue));
}

}  // namespace zk::platform
