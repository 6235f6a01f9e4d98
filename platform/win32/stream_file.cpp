#include "platform/stream_file.h"

#include <utility>

#include "platform/win32/wide_text.h"

namespace zk::platform {
namespace {

HANDLE asHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// One ReadFile or WriteFile moves at most this much.
constexpr std::size_t kLargestTransfer = 1u << 30;

}  // namespace

StreamFile StreamFile::openForReading(const std::string& path) {
  const HANDLE handle = CreateFileW(win32::widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // A folder cannot be opened without backup semantics: access denied.
    return failed(static_cast<int>(GetLastError()));
  }
  return StreamFile(reinterpret_cast<std::intptr_t>(handle));
}

std::int64_t StreamFile::read(void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const std::size_t chunk = size - done < kLargestTransfer ? size - done : kLargestTransfer;
    DWORD got = 0;
    if (!ReadFile(asHandle(handle_), bytes + done, static_cast<DWORD>(chunk), &got, nullptr)) {
      error_ = static_cast<int>(GetLastError());
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    if (got == 0) {
      break;
    }
    done += got;
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t StreamFile::write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const std::size_t chunk = size - done < kLargestTransfer ? size - done : kLargestTransfer;
    DWORD written = 0;
    if (!WriteFile(asHandle(handle_), bytes + done, static_cast<DWORD>(chunk), &written, nullptr) ||
        written == 0) {
      const DWORD error = GetLastError();
      error_ = error != 0 ? static_cast<int>(error) : ERROR_DISK_FULL;
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    done += written;
  }
  return static_cast<std::int64_t>(done);
}

bool StreamFile::seek(std::int64_t offset, Origin origin, std::uint64_t& position) {
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  LARGE_INTEGER result{};
  DWORD method = FILE_BEGIN;
  switch (origin) {
    case Origin::Begin:
      method = FILE_BEGIN;
      break;
    case Origin::Current:
      method = FILE_CURRENT;
      break;
    case Origin::End:
      method = FILE_END;
      break;
  }
  if (!SetFilePointerEx(asHandle(handle_), distance, &result, method)) {
    error_ = static_cast<int>(GetLastError());
    return false;
  }
  position = static_cast<std::uint64_t>(result.QuadPart);
  return true;
}

bool StreamFile::size(std::uint64_t& size) {
  LARGE_INTEGER result{};
  if (!GetFileSizeEx(asHandle(handle_), &result)) {
    error_ = static_cast<int>(GetLastError());
    return false;
  }
  size = static_cast<std::uint64_t>(result.QuadPart);
  return true;
}

bool StreamFile::setSize(std::uint64_t size) {
  FILE_END_OF_FILE_INFO info{};
  info.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFileInformationByHandle(asHandle(handle_), FileEndOfFileInfo, &info, sizeof info)) {
    error_ = static_cast<int>(GetLastError());
    return false;
  }
  return true;
}

bool StreamFile::flush() {
  if (!FlushFileBuffers(asHandle(handle_))) {
    error_ = static_cast<int>(GetLastError());
    return false;
  }
  return true;
}

// Windows writes a file's cached bytes out on its own schedule and offers no
// way to start that early for a range: the flush before the move does it all.
void StreamFile::startFlush(std::uint64_t, std::uint64_t) {}

bool StreamFile::close() {
  if (handle_ == kNoHandle) {
    return true;
  }
  if (!CloseHandle(asHandle(std::exchange(handle_, kNoHandle)))) {
    error_ = static_cast<int>(GetLastError());
    return false;
  }
  return true;
}

}  // namespace zk::platform
