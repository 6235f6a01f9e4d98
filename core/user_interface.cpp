#include "core/user_interface.h"

namespace zk {

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(current));
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
    } else {
      current += c;
    }
  }
  if (!current.empty()) {
    lines.push_back(std::move(current));
  }
  return lines;
}

std::string UserInterface::memoText() const {
  std::string text;
  for (const std::string& line : memoLines()) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void UserInterface::setMemoText(const std::string& text) {
  setMemoLines(splitLines(text));
}

void UserInterface::memoPrepend(const std::string& line) {
  memoSnapshot = memoText();
  memoClear();
  memoAddLine(line);
  setMemoText(memoText() + memoSnapshot);
}

}  // namespace zk
