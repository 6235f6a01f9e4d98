#include "platform/folders.h"

#include "platform/win32/wide_text.h"

namespace zk::platform {

std::optional<std::vector<FolderEntry>> listFolder(const std::string& path) {
  const std::wstring folder = win32::widen(path);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  // A junction or a link to a folder is never walked into.
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return std::nullopt;
  }
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(entries) : std::nullopt;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") {
      continue;
    }
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                          (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    entries.push_back({win32::narrow(name), isFolder});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

int removeFolder(const std::string& path) {
  return RemoveDirectoryW(win32::widen(path).c_str()) ? 0 : static_cast<int>(GetLastError());
}

}  // namespace zk::platform
