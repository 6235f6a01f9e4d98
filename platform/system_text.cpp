#include "platform/files.h"

namespace zk::platform {

std::string trimSystemText(std::string text) {
  while (!text.empty()) {
    const auto c = static_cast<unsigned char>(text.back());
    if (c <= ' ' || c == '.') {
      text.pop_back();
    } else {
      break;
    }
  }
  return text;
}

}  // namespace zk::platform
