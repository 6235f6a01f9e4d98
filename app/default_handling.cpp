#include "app/default_handling.h"

#include <exception>

#include "app/dialogs.h"
#include "core/error.h"

namespace zk {

std::optional<int> runWithDefaultHandling(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const AbortError&) {
    // The silent abort: nothing is shown.
  } catch (const ProgramEnd& end) {
    return end.exitCode();
  } catch (const std::exception& failure) {
    showErrorBox(errorBoxText(failure.what()));
  } catch (...) {
    showErrorBox(errorBoxText("Unknown failure"));
  }
  return std::nullopt;
}

}  // namespace zk
