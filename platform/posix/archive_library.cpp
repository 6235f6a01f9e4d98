#include "platform/archive_library.h"

#include <cstdio>

#include "platform/files.h"

namespace zk::platform {

std::string resultCodeText(std::int32_t code) {
  const auto value = static_cast<std::uint32_t>(code);
  switch (value) {
    case 0x00000000:
      return "The operation completed successfully";
    case 0x00000001:
      return "Incorrect function";
    case 0x80004001:
      return "Not implemented";
    case 0x80004002:
      return "No such interface supported";
    case 0x80004003:
      return "Invalid pointer";
    case 0x80004004:
      return "Operation aborted";
    case 0x80004005:
      return "Unspecified error";
    case 0x8000FFFF:
      return "Catastrophic failure";
    case 0x80030001:
      return "Unable to perform requested operation";
    case 0x80040111:
      return "ClassFactory cannot supply requested class";
    case 0x8007000E:
      return "Not enough memory resources are available to complete this operation";
    case 0x80070057:
      return "The parameter is incorrect";
    default:
      break;
  }
  // The library's Linux build reports file-system failures as errno values
  // in the Win32 facility.
  if ((value & 0xFFFF0000) == 0x80070000) {
    return systemErrorText(static_cast<int>(value & 0xFFFF));
  }
  char text[40];
  std::snprintf(text, sizeof text, "Unknown error 0x%08X", value);
  return trimSystemText(text);
}

void* systemPropertyValueClear() {
  return nullptr;
}

}  // namespace zk::platform
