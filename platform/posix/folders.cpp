#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/folders.h"

namespace zk::platform {

std::optional<std::vector<FolderEntry>> listFolder(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  std::unique_ptr<DIR, int (*)(DIR*)> folder(fdopendir(fd), closedir);
  if (!folder) {
    close(fd);
    return std::nullopt;
  }
  std::vector<FolderEntry> entries;
  while (const dirent* entry = readdir(folder.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat info {};
      isFolder =
          fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
    }
    entries.push_back({name, isFolder});
  }
  return entries;
}

int removeFolder(const std::string& path) {
  return rmdir(path.c_str()) == 0 ? 0 : errno;
}

}  // namespace zk::platform
