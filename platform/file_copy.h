#pragma once

#include <string>

namespace zk::platform {

// Copies a file over an existing target or to a new one. The bytes go to a
// temporary file beside the target that is renamed over it only once it is
// complete, so an interrupted copy never leaves a half-written program. A
// replaced file keeps its permission bits; a new file takes the source's.
// The result tells whether the target now holds the source's bytes; on
// failure the target is left as it was.
bool copyFileOverwrite(const std::string& source, const std::string& target);

}  // namespace zk::platform
