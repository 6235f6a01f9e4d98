#include "platform/console.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>

#include "platform/win32/wide_text.h"

namespace zk::platform {
namespace {

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != 0;
}

// A console shows UTF-16 whatever its code page; a file or a pipe gets the
// UTF-8 bytes as they are.
void writeTo(DWORD which, std::string_view text) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    return;
  }
  if (isConsole(handle)) {
    const std::wstring wide = win32::widen(std::string(text));
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  while (!text.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written == 0) {
      return;
    }
    text.remove_prefix(written);
  }
}

}  // namespace

void writeStandardOutput(std::string_view text) {
  std::fflush(stdout);
  writeTo(STD_OUTPUT_HANDLE, text);
}

void writeStandardError(std::string_view text) {
  std::fflush(stderr);
  writeTo(STD_ERROR_HANDLE, text);
}

void useParentConsole() {
  const auto missing = [](DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
  };
  if (!missing(STD_OUTPUT_HANDLE) && !missing(STD_ERROR_HANDLE)) {
    return;
  }
  if (AttachConsole(ATTACH_PARENT_PROCESS) == FALSE) {
    return;
  }
  for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    if (missing(which)) {
      const HANDLE console =
          CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
      if (console != INVALID_HANDLE_VALUE) {
        SetStdHandle(which, console);
      }
    }
  }
}

std::vector<std::string> programArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    return std::vector<std::string>(argv, argv + argc);
  }
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    arguments.push_back(win32::narrow(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

bool standardErrorIsTerminal() {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && isConsole(handle);
}

std::string localTimestamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  return text;
}

std::int64_t monotonicMilliseconds() {
  return static_cast<std::int64_t>(GetTickCount64());
}

int appendToFile(const std::string& path, std::string_view bytes) {
  const HANDLE file = CreateFileW(win32::widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return static_cast<int>(GetLastError());
  }
  int failure = 0;
  while (failure == 0 && !bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      failure = static_cast<int>(GetLastError());
    } else if (written == 0) {
      failure = ERROR_HANDLE_DISK_FULL;
    }
    bytes.remove_prefix(written);
  }
  if (!CloseHandle(file) && failure == 0) {
    failure = static_cast<int>(GetLastError());
  }
  return failure;
}

}  // namespace zk::platform
