#pragma once

#include <windows.h>

#include <string>

namespace zk {

// Saves the window as the screen shows it, frame and caption included, as a
// PNG file; false when it cannot.
bool saveWindowPicture(HWND window, const std::string& path);

}  // namespace zk
