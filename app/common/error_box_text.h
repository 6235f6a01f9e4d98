#pragma once

#include <string>

namespace zk {

// The text the error box shows for a failure's message: a "." is appended
// when the message is not empty and its last character's code is above ".".
std::string errorBoxText(const std::string& message);

}  // namespace zk
