#include "platform/files.h"

#include <vector>

#include "platform/win32/wide_text.h"

namespace zk::platform {

using win32::narrow;
using win32::widen;

std::string workingDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) {
      return ".";
    }
    if (length < buffer.size()) {
      std::string folder = narrow(std::wstring(buffer.data(), length));
      if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
      }
      return folder;
    }
    buffer.resize(length);
  }
}

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
  const std::string path = narrow(buffer);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string localPath(const std::string& name) {
  return workingDirectory() + kPathSeparator + name;
}

std::string expandFileName(const std::string& path) {
  const std::wstring wide = widen(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) {
    return path;
  }
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  full.resize(written < length ? written : 0);
  return narrow(full);
}

bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool createFolder(const std::string& path) {
  return CreateDirectoryW(widen(path).c_str(), nullptr) != 0;
}

bool deleteFile(const std::string& path) {
  return DeleteFileW(widen(path).c_str()) != 0;
}

int dosErrorCode(int errorNumber) {
  return errorNumber;
}

std::string systemErrorText(int errorNumber) {
  return win32::messageText(static_cast<DWORD>(errorNumber));
}

}  // namespace zk::platform
