#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zk::platform {

struct FolderEntry {
  std::string name;
  // A real folder; a symbolic link is never one, whatever it points to.
  bool isFolder = false;
};

// Every entry of the folder, hidden ones included, without "." and "..", in
// the order the file system gives them. Nothing when the folder cannot be
// listed: it is missing, is a file, or is a symbolic link (links are never
// followed).
std::optional<std::vector<FolderEntry>> listFolder(const std::string& path);
// Creates every missing folder on the way to and including path; failures are
// passed over (the file created below it then reports them).
void createFolderPath(const std::string& path);
// Removes an empty folder: 0 when it worked, otherwise the system's error number.
int removeFolder(const std::string& path);

}  // namespace zk::platform
