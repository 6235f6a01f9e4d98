#include "install/integer_conversion.h"

#include "core/error.h"

namespace zk {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

[[noreturn]] void invalid(const std::string& text) {
  throw Error("'" + text + "' is not a valid integer value");
}

}  // namespace

std::int32_t toInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  std::uint32_t magnitude = 0;
  if (i < text.size() &&
      (text[i] == '$' || text[i] == 'x' || text[i] == 'X' ||
       (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')))) {
    i += text[i] == '0' ? 2 : 1;
    const std::size_t first = i;
    for (; i < text.size(); ++i) {
      const int digit = hexDigit(text[i]);
      if (digit < 0 || i - first == 8) {
        invalid(text);
      }
      magnitude = magnitude << 4 | static_cast<std::uint32_t>(digit);
    }
    if (i == first) {
      invalid(text);
    }
  } else {
    // The limit of the magnitude: 2147483647, or 2147483648 with a minus.
    const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    std::uint64_t value = 0;
    const std::size_t first = i;
    for (; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '9') {
        invalid(text);
      }
      value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
      if (value > limit) {
        invalid(text);
      }
    }
    if (i == first) {
      invalid(text);
    }
    magnitude = static_cast<std::uint32_t>(value);
  }
  // Two's complement on the pattern: "-$80000000" and "-2147483648" both end
  // up as the smallest integer.
  if (negative) {
    magnitude = 0u - magnitude;
  }
  return static_cast<std::int32_t>(magnitude);
}

}  // namespace zk
