#include "platform/shared_library.h"

#include <utility>

#include "platform/win32/wide_text.h"

namespace zk::platform {

SharedLibrary::SharedLibrary(const std::string& fileName) {
  const std::wstring wide = win32::widen(fileName);
  const bool fullPath = fileName.find_first_of("\\/") != std::string::npos;
  // A library named by its path is loaded from there alone, and the
  // libraries it needs are looked for beside it first.
  const HMODULE module = fullPath
                             ? LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                             : LoadLibraryW(wide.c_str());
  if (module == nullptr) {
    const DWORD error = GetLastError();
    errorText_ = win32::messageText(error);
    if (errorText_.empty()) {
      errorText_ = "cannot load " + fileName;
    }
    return;
  }
  handle_ = module;
}

void* SharedLibrary::symbol(const char* name) const {
  return handle_ != nullptr
             ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name))
             : nullptr;
}

std::string SharedLibrary::missingSymbolText(const std::string&, const char*) {
  return win32::messageText(ERROR_PROC_NOT_FOUND);
}

void SharedLibrary::release() {
  if (handle_ != nullptr) {
    FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
  }
}

}  // namespace zk::platform
