#include <chrono>
#include <thread>

#include "platform/sleep.h"

namespace zk::platform {

void sleepMilliseconds(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace zk::platform
