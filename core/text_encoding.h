#pragma once

#include <string>
#include <string_view>

namespace zk {

// Stored texts (settings file, version files, announcement, server texts) are
// Windows-1254 bytes; inside the program texts are UTF-8. The mapping is
// one-to-one: the seven bytes that code page leaves undefined map to the C1
// control characters of the same number, as Windows does.
std::string cp1254ToUtf8(const std::string& bytes);
// Characters that Windows-1254 cannot hold become "?".
std::string utf8ToCp1254(const std::string& text);

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t codePoint);
// Decodes the UTF-8 sequence at `pos` and moves past it; a malformed byte is
// taken as U+FFFD and skipped alone.
char32_t decodeUtf8(const std::string& text, std::size_t& pos);
// UTF-16 code units as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);
// UTF-8 as UTF-16 code units; malformed bytes become U+FFFD.
std::u16string utf8ToUtf16(const std::string& text);

// True for a non-empty text of the digits 0 to 9 only.
bool isDecimalNumber(std::string_view text);

// Lower case of ASCII letters only; every other byte stays.
std::string asciiLower(std::string text);
bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace zk
