#include "platform/archive_library.h"

// clang-format off
#include <windows.h>
#include <propidl.h>
// clang-format on

#include <cstdio>

#include "platform/files.h"
#include "platform/win32/wide_text.h"

namespace zk::platform {

std::string resultCodeText(std::int32_t code) {
  const auto value = static_cast<std::uint32_t>(code);
  std::string text = win32::messageText(value);
  if (text.empty()) {
    char unknown[40];
    std::snprintf(unknown, sizeof unknown, "Unknown error 0x%08X", value);
    text = unknown;
  }
  return trimSystemText(text);
}

void* systemPropertyValueClear() {
  return reinterpret_cast<void*>(&PropVariantClear);
}

}  // namespace zk::platform
