#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/socket.h"

namespace zk::platform {

void adviseLargeReceiveBuffer(void* data, std::size_t size) {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + size) / page * page;
  if (last > first) {
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
  }
}

}  // namespace zk::platform
