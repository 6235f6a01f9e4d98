#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/replacement_names.h"

namespace zk::platform {

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
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = replacement::replacementPath(target, ::getpid(), counter++);
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
    replacement::markInUse(candidate);
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
  replacement::markDone(replacementPath);
  return error;
}

void discardReplacement(StreamFile& file, const std::string& replacementPath) {
  file.close();
  ::unlink(replacementPath.c_str());
  replacement::markDone(replacementPath);
}

}  // namespace zk::platform
