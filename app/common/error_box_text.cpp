#include "app/common/error_box_text.h"

namespace zk {

std::string errorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
    return message + ".";
  }
  return message;
}

}  // namespace zk
