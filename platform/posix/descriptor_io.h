#pragma once

#include <string_view>

// Inside the POSIX side of the platform layer.
namespace zk::platform::posix {

// Writes every byte to the descriptor, going on after interrupted and partial
// writes; 0, or the errno value of the failure.
int writeAll(int fd, std::string_view bytes);

}  // namespace zk::platform::posix
