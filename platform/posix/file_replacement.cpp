#include "platform/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <set>

namespace zk::platform {

namespace {

constexpr const char* kReplacementSuffix = ".zk-part";

struct TargetName {
  std::string folder;  // with its closing "/", or empty for the working directory
  std::string name;
};

TargetName splitTarget(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  if (slash == std::string::npos) {
    return {std::string(), target};
  }
  return {target.substr(0, slash + 1), target.substr(slash + 1)};
}

// The file names of this process's replacements between their creation and
// their commit or discard: a file of our own process number is a leftover
// only when it is not among them. The counter makes the names unique within
// the process, whichever spelling of the folder was used.
std::mutex inUseMutex;
std::set<std::string> inUse;

std::string fileNameOf(const std::string& path) {
  return splitTarget(path).name;
}

void markInUse(const std::string& path) {
  std::lock_guard<std::mutex> lock(inUseMutex);
  inUse.insert(fileNameOf(path));
}

void markDone(const std::string& path) {
  std::lock_guard<std::mutex> lock(inUseMutex);
  inUse.erase(fileNameOf(path));
}

bool isInUse(const std::string& fileName) {
  std::lock_guard<std::mutex> lock(inUseMutex);
  return inUse.count(fileName) != 0;
}

bool allDigits(const std::string& text) {
  if (text.empty()) {
    return false;
  }
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

// The process number in a replacement name of `name`
// (".<name>.<process>-<n>.zk-part"), or 0 when the file is not one.
pid_t replacementOwner(const std::string& fileName, const std::string& name) {
  const std::string prefix = "." + name + ".";
  const std::string suffix = kReplacementSuffix;
  if (fileName.size() <= prefix.size() + suffix.size() || fileName.rfind(prefix, 0) != 0 ||
      fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return 0;
  }
  const std::string middle =
      fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
  const std::size_t dash = middle.find('-');
  if (dash == std::string::npos || !allDigits(middle.substr(0, dash)) ||
      !allDigits(middle.substr(dash + 1)) || dash > 9) {
    return 0;
  }
  return static_cast<pid_t>(std::stol(middle.substr(0, dash)));
}

bool processRuns(pid_t process) {
  // A process of another user answers EPERM: it runs.
  return ::kill(process, 0) == 0 || errno == EPERM;
}

}  // namespace

StreamFile createReplacement(const std::string& target, std::string& replacementPath,
                             const std::string& newFileModel) {
  struct stat model {};
  bool keepMode = false;
  bool keepOwner = false;
  if (::stat(target.c_str(), &model) == 0) {
    // Refused as writing in place would be: a folder, a read-only file, a
    // running program.
    const int probe = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (probe < 0) {
      return StreamFile::failed(errno);
    }
    ::close(probe);
    keepMode = keepOwner = true;
  } else if (errno != ENOENT) {
    return StreamFile::failed(errno);
  } else if (!newFileModel.empty() && ::stat(newFileModel.c_str(), &model) == 0) {
    keepMode = true;
  }

  static std::atomic<unsigned> counter{0};
  const auto [folder, name] = splitTarget(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = folder + "." + name + "." + std::to_string(::getpid()) + "-" +
                            std::to_string(counter++) + kReplacementSuffix;
    const int handle =
        ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, keepMode ? 0600 : 0666);
    if (handle < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return StreamFile::failed(errno);
    }
    if (keepMode) {
      ::fchmod(handle, model.st_mode & 07777);
    }
    if (keepOwner && ::fchown(handle, model.st_uid, model.st_gid) != 0) {
      // Only the superuser may give a file away; the new file stays ours.
    }
    markInUse(candidate);
    replacementPath = std::move(candidate);
    return StreamFile(handle);
  }
  return StreamFile::failed(EEXIST);
}

int commitReplacement(StreamFile& file, const std::string& replacementPath,
                      const std::string& target) {
  int error = 0;
  if (file.isOpen() && (!file.flush() || !file.close())) {
    error = file.errorNumber();
  } else if (::rename(replacementPath.c_str(), target.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    file.close();
    ::unlink(replacementPath.c_str());
  }
  markDone(replacementPath);
  return error;
}

void discardReplacement(StreamFile& file, const std::string& replacementPath) {
  file.close();
  ::unlink(replacementPath.c_str());
  markDone(replacementPath);
}

void removeLeftoverReplacements(const std::string& target) {
  const auto [folder, name] = splitTarget(target);
  DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) {
    return;
  }
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(listing)) {
    const std::string fileName = entry->d_name;
    const pid_t owner = replacementOwner(fileName, name);
    if (owner <= 0) {
      continue;
    }
    if (owner == self ? !isInUse(fileName) : !processRuns(owner)) {
      ::unlink((folder + fileName).c_str());
    }
  }
  ::closedir(listing);
}

}  // namespace zk::platform
