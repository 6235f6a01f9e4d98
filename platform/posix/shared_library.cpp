#include <dlfcn.h>

#include <utility>

#include "platform/shared_library.h"

namespace zk::platform {

SharedLibrary::SharedLibrary(const std::string& fileName) {
  handle_ = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    errorText_ = reason != nullptr ? reason : "cannot load " + fileName;
  }
}

void* SharedLibrary::symbol(const char* name) const {
  return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

std::string SharedLibrary::missingSymbolText(const std::string& fileName, const char* name) {
  // dlerror's words for it.
  return fileName + ": undefined symbol: " + name;
}

void SharedLibrary::release() {
  if (handle_ != nullptr) {
    dlclose(handle_);
    handle_ = nullptr;
  }
}

}  // namespace zk::platform
