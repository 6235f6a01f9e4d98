#pragma once

#include <string>

namespace zk::platform {

// A library loaded at run time. Each object holds its own load; the library
// is released when the object goes.
class SharedLibrary {
 public:
  SharedLibrary() = default;
  // Loads by path or by bare name through the system's library search;
  // loaded() tells whether it worked, errorText() why not.
  explicit SharedLibrary(const std::string& fileName);
  ~SharedLibrary();
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  // The address of an exported symbol, or null when there is none.
  void* symbol(const char* name) const;
  template <typename Function>
  Function function(const char* name) const {
    return reinterpret_cast<Function>(symbol(name));
  }
  const std::string& errorText() const { return errorText_; }
  // The system's text for an entry point `name` that the library `fileName`
  // does not export (error code 127 on every system).
  static std::string missingSymbolText(const std::string& fileName, const char* name);
  void release();

 private:
  void* handle_ = nullptr;
  std::string errorText_;
};

}  // namespace zk::platform
