#include "platform/text_file.h"

#include <utility>

#include "platform/files.h"
#include "platform/stream_file.h"
#include "platform/win32/wide_text.h"

namespace zk::platform {
namespace {

HANDLE asHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

int lastError() {
  return static_cast<int>(GetLastError());
}

}  // namespace

TextFile::~TextFile() {
  if (handle_ != -1) {
    CloseHandle(asHandle(handle_));
  }
}

int TextFile::openForReading(const std::string& path) {
  if (handle_ != -1) {
    close();
  }
  if (const int code = injectedTextFileFailure(TextFileOperation::OpenForReading, path)) {
    return code;
  }
  // Other readers are welcome; a file another program writes is refused with
  // a sharing violation.
  const HANDLE handle = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return lastError();
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  path_ = path;
  pending_.clear();
  return 0;
}

int TextFile::create(const std::string& path) {
  if (handle_ != -1) {
    close();
  }
  if (const int code = injectedTextFileFailure(TextFileOperation::Create, path)) {
    return code;
  }
  const HANDLE handle = CreateFileW(win32::widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return lastError();
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  path_ = path;
  pending_.clear();
  return 0;
}

int TextFile::read(std::string& out, std::size_t size) {
  if (handle_ == -1) {
    return kFileNotOpen;
  }
  if (const int code = injectedTextFileFailure(TextFileOperation::Read, path_)) {
    return code;
  }
  const std::size_t start = out.size();
  out.resize(start + size);
  DWORD got = 0;
  if (!ReadFile(asHandle(handle_), out.data() + start, static_cast<DWORD>(size), &got, nullptr)) {
    const int error = lastError();
    out.resize(start);
    return error;
  }
  out.resize(start + got);
  return 0;
}

int TextFile::close() {
  if (handle_ == -1) {
    return kFileNotOpen;
  }
  int code = injectedTextFileFailure(TextFileOperation::Close, path_);
  std::string_view left = pending_;
  while (code == 0 && !left.empty()) {
    DWORD written = 0;
    if (!WriteFile(asHandle(handle_), left.data(), static_cast<DWORD>(left.size()), &written,
                   nullptr)) {
      code = lastError();
    } else if (written == 0) {
      code = ERROR_HANDLE_DISK_FULL;
    }
    left.remove_prefix(written);
  }
  if (!CloseHandle(asHandle(handle_)) && code == 0) {
    code = lastError();
  }
  handle_ = -1;
  pending_.clear();
  return code;
}

std::optional<std::string> readWholeFile(const std::string& path) {
  StreamFile file = StreamFile::openForReading(path);
  if (!file.isOpen()) {
    return std::nullopt;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const std::int64_t got = file.read(buffer, sizeof buffer);
    if (got < 0) {
      return std::nullopt;
    }
    content.append(buffer, static_cast<std::size_t>(got));
    if (got < static_cast<std::int64_t>(sizeof buffer)) {
      return content;
    }
  }
}

}  // namespace zk::platform
