#include <windows.h>

#include "app/dialogs.h"
#include "platform/win32/wide_text.h"

namespace zk {

void showToolkitBox(BoxKind kind, const std::string& caption, const std::string& text) {
  using platform::win32::widen;
  // Without an owner the box is centred on the screen; task-modal, so every
  // window of the program waits for it while its clock keeps ticking.
  const UINT style =
      MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | (kind == BoxKind::Error ? MB_ICONSTOP : 0);
  MessageBoxW(nullptr, widen(text).c_str(), widen(caption).c_str(), style);
}

}  // namespace zk
