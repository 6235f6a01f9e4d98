#include "core/text_encoding.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace zk {
namespace {

// Code points of the bytes 0x80..0xFF.
constexpr std::array<char32_t, 128> kHighHalf = [] {
  std::array<char32_t, 128> table{};
  for (int i = 0; i < 128; ++i) {
    table[i] = static_cast<char32_t>(0x80 + i);
  }
  const std::pair<int, char32_t> differences[] = {
      {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026},
      {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160},
      {0x8B, 0x2039}, {0x8C, 0x0152}, {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C},
      {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013}, {0x97, 0x2014}, {0x98, 0x02DC},
      {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153}, {0x9F, 0x0178},
      {0xD0, 0x011E}, {0xDD, 0x0130}, {0xDE, 0x015E}, {0xF0, 0x011F}, {0xFD, 0x0131},
      {0xFE, 0x015F},
  };
  for (const auto& [byte, codePoint] : differences) {
    table[byte - 0x80] = codePoint;
  }
  return table;
}();

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t decodeUtf8(const std::string& text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(pos);
  int length = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
  } else {
    ++pos;
    return 0xFFFD;
  }
  if (pos + length > text.size()) {
    ++pos;
    return 0xFFFD;
  }
  for (int i = 1; i < length; ++i) {
    const std::uint8_t next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  pos += length;
  return cp;
}

std::string utf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    appendUtf8(out, cp);
  }
  return out;
}

std::u16string utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t cp = decodeUtf8(text, pos);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      cp = 0xFFFD;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string cp1254ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    appendUtf8(out, b < 0x80 ? b : kHighHalf[b - 0x80]);
  }
  return out;
}

std::string utf8ToCp1254(const std::string& text) {
  static const std::unordered_map<char32_t, char> reverse = [] {
    std::unordered_map<char32_t, char> map;
    for (int i = 0; i < 128; ++i) {
      map.emplace(kHighHalf[i], static_cast<char>(0x80 + i));
    }
    return map;
  }();
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t cp = decodeUtf8(text, pos);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (auto it = reverse.find(cp); it != reverse.end()) {
      out += it->second;
    } else {
      out += '?';
    }
  }
  return out;
}

bool isDecimalNumber(std::string_view text) {
  if (text.empty()) {
    return false;
  }
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

std::string asciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && asciiLower(a) == asciiLower(b);
}

}  // namespace zk
