#include "platform/archive_library.h"

// clang-format off
#include <windows.h>
#include <propidl.h>
// clang-format on

#include <cstdio>
#include <cstdlib>

#include "platform/files.h"
#include "platform/platform_names.h"
#include "platform/win32/wide_text.h"

namespace zk::platform {
namespace {

std::string programFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return {};
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  const std::string path = win32::narrow(buffer);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The folders of ZK_ARCHIVE_LIBRARY_FOLDERS, ';'-separated as Windows
// separates path lists, empty entries left out.
std::vector<std::string> foldersFromEnvironment(const std::string& list) {
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
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
  if (!program.empty() &&
      CompareStringOrdinal(win32::widen(program).c_str(), -1, win32::widen(folders.front()).c_str(),
                           -1, TRUE) != CSTR_EQUAL) {
    folders.push_back(program);
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

std::string resultCodeText(std::int32_t code) {
  const auto value = static_cast<std::uint32_t>(code);
  std::string text = win32::messageText(value);
  if (text.empty()) {
    char unknown[40];
    std::snprintf(unknown, sizeof unknown, "Unknown error 0x%08X", value);
    text = unknown;
  }
  return trimSystemText(text);
}

void* systemPropertyValueClear() {
  return reinterpret_cast<void*>(&PropVariantClear);
}

}  // namespace zk::platform
