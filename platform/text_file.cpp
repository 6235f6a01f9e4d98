#include "platform/text_file.h"

#include <utility>

namespace zk::platform {
namespace {

TextFileFailureHook& failureHook() {
  static TextFileFailureHook hook;
  return hook;
}

}  // namespace

void setTextFileFailureHook(TextFileFailureHook hook) {
  failureHook() = std::move(hook);
}

int injectedTextFileFailure(TextFileOperation operation, const std::string& path) {
  const TextFileFailureHook& hook = failureHook();
  return hook ? hook(operation, path) : 0;
}

}  // namespace zk::platform
