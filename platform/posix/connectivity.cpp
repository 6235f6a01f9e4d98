#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/connectivity.h"

namespace zk::platform {
namespace {

bool activeInterfaceWithAddress() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    return false;
  }
  bool found = false;
  for (ifaddrs* entry = list; entry != nullptr && !found; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || (entry->ifa_flags & IFF_LOOPBACK) != 0 ||
        (entry->ifa_flags & IFF_UP) == 0) {
      continue;
    }
    const int family = entry->ifa_addr->sa_family;
    found = family == AF_INET || family == AF_INET6;
  }
  freeifaddrs(list);
  return found;
}

bool defaultRouteExists() {
  std::ifstream routes("/proc/net/route");
  std::string line;
  std::getline(routes, line);  // column headings
  while (std::getline(routes, line)) {
    std::istringstream fields(line);
    std::string interface;
    std::string destination;
    if (fields >> interface >> destination && destination == "00000000") {
      return true;
    }
  }
  return false;
}

}  // namespace

bool systemReportsConnection() {
  return activeInterfaceWithAddress() || defaultRouteExists();
}

}  // namespace zk::platform
