#pragma once

// Looks at the native main window from outside, as a user's tools see it:
// the window found by its class and caption, the controls by their window
// identifiers, texts through window messages, colours from the screen.

// The main window's header brings <windows.h> in the order the program needs.
#include "app/win32/main_window.h"

#include <cstdint>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace zk::test {

HWND findMainWindow();
HWND findControl(HWND mainWindow, const char* name);
// WM_GETTEXT, as UTF-8.
std::string windowText(HWND window);
// A control's rectangle in the main window's client coordinates.
RECT clientRect(HWND mainWindow, HWND control);
// Dispatches pending messages for a while, so that repaints and timer ticks
// happen; returns early once `done` holds.
template <typename Done>
bool pumpUntil(Done done, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!done()) {
    if (GetTickCount64() > end) {
      return false;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
  return true;
}

// The pixels of a window's area of the screen, once it has repainted.
class ScreenPixels {
 public:
  explicit ScreenPixels(HWND window);
  // How many pixels of the area have exactly this colour.
  int count(Rgb color) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// A message box of this program as it appears on the screen.
struct SeenBox {
  std::string caption;
  std::string text;
  int buttons = 0;
  bool okButton = false;
  bool icon = false;
};
// Waits on its own thread for the box, reads it, then presses its OK button
// after `holdMilliseconds`.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(DWORD holdMilliseconds = 0);
  ~MessageBoxWatcher();
  // Waits for the watcher to finish; what it saw (empty caption: no box).
  SeenBox result();

 private:
  static DWORD WINAPI run(void* self);
  DWORD hold_;
  HANDLE thread_ = nullptr;
  SeenBox seen_;
};

}  // namespace zk::test
