#include "platform/connectivity.h"

#include <windows.h>
#include <wininet.h>

namespace zk::platform {

bool systemReportsConnection() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

}  // namespace zk::platform
