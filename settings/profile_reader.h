#pragma once

#include <string>

namespace zk {

// The settings file as the program holds it: only its full path is kept, and
// every read goes to the file on disk. A file that cannot be read answers
// every read with the default.
class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  const std::string& fileName() const { return path_; }
  // Names, default and result are UTF-8; the file is Windows-1254.
  std::string readString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;

 private:
  std::string path_;
};

}  // namespace zk
