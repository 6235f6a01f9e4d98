#include "platform/folders.h"

#include "platform/files.h"

namespace zk::platform {

void createFolderPath(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    const bool separator = i < path.size() && (path[i] == '/' || path[i] == kPathSeparator);
    if (separator || i == path.size()) {
      createFolder(path.substr(0, i));
    }
  }
}

}  // namespace zk::platform
