#include "platform/connectivity.h"

#include <cstdlib>
#include <string>

namespace zk::platform {

bool internetConnected() {
  if (const char* forced = std::getenv("ZK_CONNECTIVITY")) {
    const std::string value(forced);
    if (value == "online") {
      return true;
    }
    if (value == "offline") {
      return false;
    }
  }
  return systemReportsConnection();
}

}  // namespace zk::platform
