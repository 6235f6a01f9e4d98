#pragma once

#include <windows.h>

#include <string>

namespace zk::platform::win32 {

// Paths and texts are UTF-8 inside the program and UTF-16 at every call of
// the system's wide-character functions.
std::wstring widen(const std::string& utf8);
std::string narrow(const wchar_t* utf16);
std::string narrow(const std::wstring& utf16);
// Texts in the system's ANSI code page, as the 8-bit functions give them.
std::string ansiToUtf8(const char* text);

// The system's text for an error code, from FormatMessageW, as UTF-8 and
// without trailing blanks, line breaks and full stops; empty when the system
// has none.
std::string messageText(DWORD code, HMODULE source = nullptr);

// Closes a handle when it goes.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  void reset() {
    if (valid()) {
      CloseHandle(handle_);
    }
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

}  // namespace zk::platform::win32
