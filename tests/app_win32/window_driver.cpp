#include "tests/app_win32/window_driver.h"

#include "app/win32/main_window.h"
#include "app/window_layout.h"
#include "platform/win32/wide_text.h"

namespace zk::test {

HWND findMainWindow() {
  return FindWindowW(kMainWindowClass, platform::win32::widen(std::string(kWindowCaption)).c_str());
}

HWND findControl(HWND mainWindow, const char* name) {
  return GetDlgItem(mainWindow, controlId(name));
}

std::string windowText(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return platform::win32::narrow(text);
}

RECT clientRect(HWND mainWindow, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

ScreenPixels::ScreenPixels(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect{};
  GetClientRect(window, &rect);
  width_ = rect.right;
  height_ = rect.bottom;
  // The window's own device context reads what it has drawn, as the screen
  // shows it once the display has caught up.
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * height_);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
}

int ScreenPixels::count(Rgb color) const {
  const std::uint32_t wanted =
      (static_cast<std::uint32_t>(color.red) << 16) | (color.green << 8) | color.blue;
  int found = 0;
  for (std::uint32_t pixel : pixels_) {
    found += (pixel & 0xFFFFFF) == wanted ? 1 : 0;
  }
  return found;
}

MessageBoxWatcher::MessageBoxWatcher(DWORD holdMilliseconds) : hold_(holdMilliseconds) {
  thread_ = CreateThread(nullptr, 0, &MessageBoxWatcher::run, this, 0, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher() {
  result();
}

SeenBox MessageBoxWatcher::result() {
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return seen_;
}

namespace {

struct BoxSearch {
  DWORD process;
  HWND box = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<BoxSearch*>(parameter);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->process && std::wstring(className) == L"#32770" &&
      IsWindowVisible(window)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK countButton(HWND child, LPARAM parameter) {
  wchar_t className[16] = {};
  GetClassNameW(child, className, 16);
  if (_wcsicmp(className, L"Button") == 0 && IsWindowVisible(child)) {
    ++*reinterpret_cast<int*>(parameter);
  }
  return TRUE;
}

BOOL CALLBACK findIcon(HWND child, LPARAM parameter) {
  wchar_t className[16] = {};
  GetClassNameW(child, className, 16);
  if (_wcsicmp(className, L"Static") == 0 &&
      (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
      SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(parameter) = true;
  }
  return TRUE;
}

}  // namespace

DWORD WINAPI MessageBoxWatcher::run(void* self) {
  auto* watcher = static_cast<MessageBoxWatcher*>(self);
  BoxSearch search{GetCurrentProcessId()};
  for (int attempt = 0; attempt < 1000 && search.box == nullptr; ++attempt) {
    EnumWindows(&findBox, reinterpret_cast<LPARAM>(&search));
    if (search.box == nullptr) {
      Sleep(10);
    }
  }
  if (search.box == nullptr) {
    return 0;
  }
  SeenBox& seen = watcher->seen_;
  seen.caption = windowText(search.box);
  // The text of a message box is its static control 0xFFFF.
  seen.text = windowText(GetDlgItem(search.box, 0xFFFF));
  EnumChildWindows(search.box, &countButton, reinterpret_cast<LPARAM>(&seen.buttons));
  seen.okButton = GetDlgItem(search.box, IDOK) != nullptr;
  EnumChildWindows(search.box, &findIcon, reinterpret_cast<LPARAM>(&seen.icon));
  Sleep(watcher->hold_);
  PostMessageW(GetDlgItem(search.box, IDOK), BM_CLICK, 0, 0);
  return 0;
}

}  // namespace zk::test
