#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Small text helpers shared by the request and the answer side of HttpClient.
namespace zk::http_text {

inline bool isBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

inline std::string trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) {
    ++begin;
  }
  while (end > begin && isBlank(text[end - 1])) {
    --end;
  }
  return text.substr(begin, end - begin);
}

// A decimal number with an optional sign; nothing when the text is not one
// or does not fit.
inline std::optional<std::int64_t> parseDecimal(const std::string& text, std::int64_t limit) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
    if (value > limit) {
      return std::nullopt;
    }
  }
  return negative ? -value : value;
}

}  // namespace zk::http_text
