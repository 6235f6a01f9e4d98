#include "platform/profile_strings.h"

#include <cstdint>
#include <optional>

#include "core/text_encoding.h"
#include "platform/text_file.h"

namespace zk::platform {
namespace {

bool isBlank(char c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::string_view upToZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// Upper case of a Windows-1254 letter. The dotted capital I and the dotless
// small i have no partner here: the Windows case tables pair them with the
// ASCII i and I, not with each other, and that pairing is not ours to guess.
unsigned char upperCase(unsigned char c) {
  if (c >= 'a' && c <= 'z') {
    return static_cast<unsigned char>(c - 0x20);
  }
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7 && c != 0xFD) {
    return static_cast<unsigned char>(c - 0x20);
  }
  switch (c) {
    case 0x9A:  // š
      return 0x8A;
    case 0x9C:  // œ
      return 0x8C;
    case 0xFF:  // ÿ
      return 0x9F;
    default:
      return c;
  }
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upperCase(static_cast<unsigned char>(a[i])) !=
        upperCase(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// A Unicode profile (it starts with FF FE) as Windows-1254 bytes.
std::string fromUtf16LittleEndian(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 1; i < bytes.size() / 2; ++i) {
    units += static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                   (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return utf8ToCp1254(utf16ToUtf8(units));
}

std::string defaultResult(std::string_view defaultValue) {
  defaultValue = upToZero(defaultValue);
  while (!defaultValue.empty() && defaultValue.back() == ' ') {
    defaultValue.remove_suffix(1);
  }
  return std::string(defaultValue.substr(0, kProfileValueLimit));
}

std::string valueResult(std::string_view value) {
  value = upToZero(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, kProfileValueLimit));
}

// The next line of `text` from `pos`, without its line end.
std::string_view nextLine(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') {
    ++pos;
  }
  const std::string_view line = text.substr(start, pos - start);
  while (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r')) {
    ++pos;
  }
  return line;
}

// The reading rules of readProfileString over the file's bytes.
std::string profileValue(std::string_view content, std::string_view section, std::string_view key,
                         std::string_view defaultValue) {
  section = trimBlanks(upToZero(section));
  key = trimBlanks(upToZero(key));
  if (section.empty() || key.empty()) {
    return defaultResult(defaultValue);
  }

  std::string decoded;
  if (content.size() >= 2 && static_cast<std::uint8_t>(content[0]) == 0xFF &&
      static_cast<std::uint8_t>(content[1]) == 0xFE) {
    decoded = fromUtf16LittleEndian(content);
    content = decoded;
  }

  // Only the first section that matches is searched: the next header after it
  // ends the search.
  bool inSection = false;
  std::size_t pos = 0;
  while (pos < content.size()) {
    const std::string_view line = trimBlanks(nextLine(content, pos));
    if (line.empty()) {
      continue;
    }
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        if (inSection) {
          break;
        }
        const std::string_view name = trimBlanks(upToZero(line.substr(1, close - 1)));
        inSection = sameName(name, section);
        continue;
      }
    }
    if (!inSection || line.front() == ';') {
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      continue;
    }
    const std::string_view name = trimBlanks(upToZero(line.substr(0, equals)));
    if (sameName(name, key)) {
      return valueResult(trimBlanks(line.substr(equals + 1)));
    }
  }
  return defaultResult(defaultValue);
}

}  // namespace

std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  const std::optional<std::string> content = readWholeFile(path);
  return profileValue(content ? *content : std::string(), section, key, defaultValue);
}

}  // namespace zk::platform
