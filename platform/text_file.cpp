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

// Writes wait in memory until close, on every system.
int TextFile::write(std::string_view bytes) {
  if (handle_ == -1) {
    return kFileNotOpen;
  }
  if (const int code = injectedTextFileFailure(TextFileOperation::Write, path_)) {
    return code;
  }
  pending_.append(bytes);
  return 0;
}

}  // namespace zk::platform
