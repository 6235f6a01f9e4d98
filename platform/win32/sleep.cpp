#include "platform/sleep.h"

#include <windows.h>

namespace zk::platform {

void sleepMilliseconds(int milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds));
}

}  // namespace zk::platform
