#include "app/win32/window_picture.h"

#include <cstdint>
#include <vector>

#include "app/common/png_image.h"
#include "platform/file_replacement.h"

namespace zk {

bool saveWindowPicture(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_ERASE);
  RECT frame{};
  if (GetWindowRect(window, &frame) == FALSE) {
    return false;
  }
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) {
    return false;
  }
  // What the screen shows of the window: the window may draw its frame
  // through the window manager, which its own device context does not hold.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, previous);
  }
  std::vector<std::uint8_t> rgb;
  if (copied) {
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int i = 0; i < width * height; ++i) {
      rgb.push_back(pixels[i * 4 + 2]);
      rgb.push_back(pixels[i * 4 + 1]);
      rgb.push_back(pixels[i * 4]);
    }
  }
  if (bitmap != nullptr) {
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && platform::replaceFileContents(path, encodePng(width, height, rgb)).failure ==
                       platform::FileReplaceResult::Failure::None;
}

}  // namespace zk
