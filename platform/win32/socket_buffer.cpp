#include "platform/socket.h"

namespace zk::platform {

// Windows gives large pages only to processes holding a special privilege:
// there is nothing to advise.
void adviseLargeReceiveBuffer(void*, std::size_t) {}

}  // namespace zk::platform
