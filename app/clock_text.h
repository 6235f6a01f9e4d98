#pragma once

#include <string>

namespace zk {

// Today's date in the user's short date format.
std::string currentDateText();
// The time now in the user's long time format: hours, minutes and seconds.
std::string currentTimeText();

}  // namespace zk
