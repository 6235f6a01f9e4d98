#pragma once

#include <string>

namespace zk {

// Stored texts (settings file, version files, announcement, server texts) are
// Windows-1254 bytes; inside the program texts are UTF-8. The mapping is
// one-to-one: the seven bytes that code page leaves undefined map to the C1
// control characters of the same number, as Windows does.
std::string cp1254ToUtf8(const std::string& bytes);
// Characters that Windows-1254 cannot hold become "?".
std::string utf8ToCp1254(const std::string& text);

// Lower case of ASCII letters only; every other byte stays.
std::string asciiLower(std::string text);
bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace zk
