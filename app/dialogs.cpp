#include "app/dialogs.h"

#include <cstdlib>
#include <iostream>

#include "core/text_encoding.h"

namespace zk {
namespace {

std::string& title() {
  static std::string value;
  return value;
}

std::function<void(BoxKind, const std::string&)>& observer() {
  static std::function<void(BoxKind, const std::string&)> value;
  return value;
}

void showBox(BoxKind kind, const std::string& caption, const std::string& text,
             const char* automaticPrefix) {
  if (observer()) {
    observer()(kind, text);
    return;
  }
  if (boxesCloseThemselves()) {
    std::cerr << automaticPrefix << text << std::endl;
    return;
  }
  showToolkitBox(kind, caption, text);
}

}  // namespace

std::string applicationTitle(const std::string& executablePath) {
  std::string name = executablePath.substr(executablePath.find_last_of("/\\") + 1);
  name = name.substr(0, name.find('.'));
  if (!name.empty()) {
    name = asciiLower(name);
    if (name[0] >= 'a' && name[0] <= 'z') {
      name[0] = static_cast<char>(name[0] - 'a' + 'A');
    }
  }
  return name;
}

void setApplicationTitle(const std::string& value) {
  title() = value;
}
const std::string& applicationTitle() {
  return title();
}

bool boxesCloseThemselves() {
  const char* value = std::getenv("ZK_AUTO_CLOSE_MESSAGE_BOXES");
  return value != nullptr && std::string(value) == "1";
}

void setBoxObserver(std::function<void(BoxKind, const std::string&)> value) {
  observer() = std::move(value);
}

void showMessageBox(const std::string& text) {
  showBox(BoxKind::Message, title(), text, "MESSAGE: ");
}

void showErrorBox(const std::string& text) {
  showErrorBox(title(), text);
}

void showErrorBox(const std::string& caption, const std::string& text) {
  showBox(BoxKind::Error, caption, text, "ERROR: ");
}

}  // namespace zk
