#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zk {

// Longest value a read returns: the 2048-byte buffer of the Windows profile
// service less its terminating zero.
inline constexpr std::size_t kProfileValueLimit = 2047;

// The value of `key` in `section` of a profile (INI) text, read the way the
// Windows profile-string service reads it. `content`, the names, the default
// and the result are Windows-1254 bytes.
//
// Lines end at CR, LF or any run of them; blanks are space, tab, LF, VT, FF,
// CR and Ctrl+Z. A line that begins with "[" and holds a "]" is a section
// header: the name lies between the "[" and the last "]", blanks trimmed. A
// line that begins with ";" is a comment. Any other line with a "=" is a key:
// its name is the text before the first "=", its value the text after it,
// both with their blanks trimmed. Lines without "=" and keys before the first
// header belong to no lookup. Names match regardless of letter case; only the
// first matching section is searched, and its first matching key answers. A
// value enclosed in a pair of double or of single quotes loses them, then is
// cut to kProfileValueLimit bytes; a name or value ends at a zero byte.
// A missing section or key, or an empty name asked for, yields the default
// without its trailing spaces. A text that starts with the UTF-16
// little-endian mark is decoded first (characters outside Windows-1254 become
// "?"); a UTF-8 mark is not recognised and stays part of the first line.
std::string profileValue(std::string_view content, std::string_view section, std::string_view key,
                         std::string_view defaultValue);

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
