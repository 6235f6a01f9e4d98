#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/common/error_box_text.h"

namespace zk {

// Runs a handler as the event loop dispatches it: a failure that leaves it
// is shown in the error box (the silent abort shows nothing) and the program
// goes on. Nothing ever propagates out of here: a request to end the program
// comes back as the exit code it asks for.
std::optional<int> runWithDefaultHandling(const std::function<void()>& handler);

}  // namespace zk
