#include "platform/win32/wide_text.h"

#include "core/text_encoding.h"
#include "platform/files.h"

namespace zk::platform::win32 {

std::wstring widen(const std::string& utf8) {
  const std::u16string units = utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string narrow(const wchar_t* utf16) {
  return utf16 == nullptr ? std::string() : narrow(std::wstring(utf16));
}

std::string narrow(const std::wstring& utf16) {
  return utf16ToUtf8(std::u16string(utf16.begin(), utf16.end()));
}

std::string ansiToUtf8(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) {
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return narrow(wide);
}

std::string messageText(DWORD code, HMODULE source) {
  wchar_t* buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
      (source != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
  const DWORD length =
      FormatMessageW(flags, source, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                     reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) {
    return {};
  }
  std::string text = narrow(std::wstring(buffer, length));
  LocalFree(buffer);
  return trimSystemText(std::move(text));
}

}  // namespace zk::platform::win32
