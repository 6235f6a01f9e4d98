#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zk::platform {

// Longest value a read returns: the 2048-byte buffer of the Windows profile
// service less its terminating zero.
inline constexpr std::size_t kProfileValueLimit = 2047;

// The value of `key` in `section` of the profile (INI) file at `path`, as
// the Windows profile-string service reads it: on Windows the service itself
// (GetPrivateProfileStringA), elsewhere a reader with its rules. The names,
// the default and the result are Windows-1254 bytes; a file that cannot be
// read answers with the default.
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
std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

}  // namespace zk::platform
