#include "platform/profile_strings.h"

#include "platform/win32/wide_text.h"

namespace zk::platform {
namespace {

// The 8-bit profile functions take the file's name in the system's ANSI code
// page. A path that code page cannot hold is handed over in its short form,
// which is plain ASCII.
std::string ansiPath(const std::string& path) {
  const std::wstring wide = win32::widen(path);
  BOOL lossy = FALSE;
  const auto toAnsi = [&lossy](const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr,
                                           0, nullptr, &lossy);
    std::string ansi(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, ansi.data(), length,
                        nullptr, &lossy);
    ansi.resize(ansi.size() - 1);
    return ansi;
  };
  std::string ansi = toAnsi(wide);
  if (!lossy) {
    return ansi;
  }
  std::wstring shortPath(MAX_PATH, L'\0');
  const DWORD length =
      GetShortPathNameW(wide.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  if (length == 0 || length >= shortPath.size()) {
    return ansi;
  }
  shortPath.resize(length);
  return toAnsi(shortPath);
}

}  // namespace

std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  // The service reads names and the default up to their first zero byte, as
  // C strings.
  const std::string sectionText(section.substr(0, section.find('\0')));
  const std::string keyText(key.substr(0, key.find('\0')));
  const std::string defaultText(defaultValue.substr(0, defaultValue.find('\0')));
  char value[kProfileValueLimit + 1] = {};
  const DWORD length =
      GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), defaultText.c_str(), value,
                               sizeof value, ansiPath(path).c_str());
  return std::string(value, length);
}

}  // namespace zk::platform
