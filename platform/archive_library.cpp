#include "platform/archive_library.h"

#include <cstdlib>

#include "platform/files.h"
#include "platform/platform_names.h"

namespace zk::platform {
namespace {

// The folders of ZK_ARCHIVE_LIBRARY_FOLDERS, separated as the system separates
// folder lists, empty entries left out.
std::vector<std::string> foldersFromEnvironment(const std::string& list) {
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(kFolderListSeparator, start);
    if (end == std::string::npos) {
      end = list.size();
    }
    if (end > start) {
      folders.push_back(list.substr(start, end - start));
    }
    start = end + 1;
  }
  return folders;
}

}  // namespace

// The library is loaded into the program by its full path from these
// folders only, never through the system's library search: a copy planted
// anywhere else is never loaded.
std::vector<std::string> archiveLibraryFolders() {
  if (const char* forced = std::getenv("ZK_ARCHIVE_LIBRARY_FOLDERS")) {
    return foldersFromEnvironment(forced);
  }
  std::vector<std::string> folders{workingDirectory()};
  const std::string program = programFolder();
  if (!program.empty() && program != folders.front()) {
    folders.push_back(program);
  }
  if (*kSystemArchiveLibraryFolder != '\0') {
    folders.push_back(kSystemArchiveLibraryFolder);
  }
  return folders;
}

std::string findArchiveLibrary() {
  for (const std::string& folder : archiveLibraryFolders()) {
    const std::string candidate = folder + kPathSeparator + kArchiveLibraryFile;
    if (fileExists(candidate)) {
      return expandFileName(candidate);
    }
  }
  return {};
}

}  // namespace zk::platform
