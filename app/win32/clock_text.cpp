#include "app/clock_text.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace zk {

std::string currentDateText() {
  wchar_t text[128] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 128);
  return platform::win32::narrow(text);
}

std::string currentTimeText() {
  // No flags: the user's long time format, with seconds.
  wchar_t text[128] = {};
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, 128);
  return platform::win32::narrow(text);
}

}  // namespace zk
