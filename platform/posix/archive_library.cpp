#include "platform/archive_library.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "platform/platform_names.h"

namespace zk::platform {
namespace {

std::string programFolder() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
    return {};
  }
  std::string path(buffer.data(), static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The folders of ZK_ARCHIVE_LIBRARY_FOLDERS, ':'-separated, empty entries
// left out.
std::vector<std::string> foldersFromEnvironment(const std::string& list) {
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
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

std::vector<std::string> archiveLibraryFolders() {
  if (const char* forced = std::getenv("ZK_ARCHIVE_LIBRARY_FOLDERS")) {
    return foldersFromEnvironment(forced);
  }
  std::vector<std::string> folders{workingDirectory()};
  const std::string program = programFolder();
  if (!program.empty() && program != folders.front()) {
    folders.push_back(program);
  }
  folders.push_back(kSystemArchiveLibraryFolder);
  return folders;
}

std::string findArchiveLibrary() {
  for (const std::string& folder : archiveLibraryFolders()) {
    const std::string candidate = folder + "/" + kArchiveLibraryFile;
    if (fileExists(candidate)) {
      return candidate;
    }
  }
  return {};
}

std::string resultCodeText(std::int32_t code) {
  const auto value = static_cast<std::uint32_t>(code);
  switch (value) {
    case 0x00000000:
      return "The operation completed successfully";
    case 0x00000001:
      return "Incorrect function";
    case 0x80004001:
      return "Not implemented";
    case 0x80004002:
      return "No such interface supported";
    case 0x80004003:
      return "Invalid pointer";
    case 0x80004004:
      return "Operation aborted";
    case 0x80004005:
      return "Unspecified error";
    case 0x8000FFFF:
      return "Catastrophic failure";
    case 0x80030001:
      return "Unable to perform requested operation";
    case 0x80040111:
      return "ClassFactory cannot supply requested class";
    case 0x8007000E:
      return "Not enough memory resources are available to complete this operation";
    case 0x80070057:
      return "The parameter is incorrect";
    default:
      break;
  }
  // The library's Linux build reports file-system failures as errno values
  // in the Win32 facility.
  if ((value & 0xFFFF0000) == 0x80070000) {
    return systemErrorText(static_cast<int>(value & 0xFFFF));
  }
  char text[40];
  std::snprintf(text, sizeof text, "Unknown error 0x%08X", value);
  return trimSystemText(text);
}

void* systemPropertyValueClear() {
  return nullptr;
}

}  // namespace zk::platform
