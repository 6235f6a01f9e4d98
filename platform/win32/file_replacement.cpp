#include "platform/file_replacement.h"

#include <atomic>

#include "platform/win32/wide_text.h"

namespace zk::platform {

using win32::widen;

StreamFile createReplacement(const std::string& target, std::string& replacementPath,
                             const std::string& newFileModel) {
  const std::wstring wideTarget = widen(target);
  const DWORD existing = GetFileAttributesW(wideTarget.c_str());
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (existing != INVALID_FILE_ATTRIBUTES) {
    // Refused as writing in place would be: a folder, a read-only file, a
    // file another program holds without sharing it for writing.
    const HANDLE probe = CreateFileW(wideTarget.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
      return StreamFile::failed(static_cast<int>(GetLastError()));
    }
    CloseHandle(probe);
    attributes = existing;
  } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    return StreamFile::failed(static_cast<int>(error));
  } else if (!newFileModel.empty()) {
    const DWORD model = GetFileAttributesW(widen(newFileModel).c_str());
    if (model != INVALID_FILE_ATTRIBUTES) {
      attributes = model;
    }
  }
  // The replacement stays writable until it is in place; the kept
  // attributes are set on it then.
  attributes &= FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (attributes == 0) {
    attributes = FILE_ATTRIBUTE_NORMAL;
  }

  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.find_last_of("\\/");
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = folder + "." + name + "." + std::to_string(GetCurrentProcessId()) +
                            "-" + std::to_string(counter++) + ".zk-part";
    const HANDLE handle = CreateFileW(widen(candidate).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ, nullptr, CREATE_NEW, attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        continue;
      }
      return StreamFile::failed(static_cast<int>(error));
    }
    replacementPath = std::move(candidate);
    return StreamFile(reinterpret_cast<std::intptr_t>(handle));
  }
  return StreamFile::failed(ERROR_FILE_EXISTS);
}

int commitReplacement(StreamFile& file, const std::string& replacementPath,
                      const std::string& target) {
  int error = 0;
  if (file.isOpen() && (!file.flush() || !file.close())) {
    error = file.errorNumber();
  } else if (!MoveFileExW(widen(replacementPath).c_str(), widen(target).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = static_cast<int>(GetLastError());
  }
  if (error != 0) {
    file.close();
    DeleteFileW(widen(replacementPath).c_str());
  }
  return error;
}

void discardReplacement(StreamFile& file, const std::string& replacementPath) {
  file.close();
  DeleteFileW(widen(replacementPath).c_str());
}

}  // namespace zk::platform
