#pragma once

namespace zk::platform {

// Blocks the calling thread; no window event is handled meanwhile.
void sleepMilliseconds(int milliseconds);

}  // namespace zk::platform
