#include "app/common/console_ui.h"

#include <stdexcept>

#include "app/window_layout.h"
#include "core/text_encoding.h"

namespace zk {
namespace {

constexpr const char* kStatusLine = "Label19";
// The components of the window that are no controls; find-by-name sees them.
constexpr const char* kComponents[] = {"Timer1", "IdHTTP1"};

// One log line stays one line: line ends and other control characters in a
// text (a server text "12" and a line break) are shown as escapes.
std::string oneLine(std::string_view text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      line += '?';
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

RunLog::RunLog(Writer writer, Timestamp timestamp)
    : writer_(std::move(writer)), timestamp_(std::move(timestamp)) {}

void RunLog::write(std::string_view kind, std::string_view text) {
  writer_(timestamp_() + " " + std::string(kind) + ": " + oneLine(text) + "\n");
}

ConsoleUi::ConsoleUi(RunLog& log, DownloadProgress& progress) : log_(log), progress_(progress) {
  for (const ControlDesign& design : windowDesign()) {
    Control& entry = controls_[std::string(design.name)];
    entry.caption = std::string(design.caption);
    entry.color = design.hasColor ? design.color : Rgb{};
  }
  memo_ = {controls_.at("Memo1").caption};
}

ConsoleUi::Control& ConsoleUi::control(const std::string& name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) {
    throw std::logic_error("no control named " + name);
  }
  return it->second;
}

const ConsoleUi::Control& ConsoleUi::control(const std::string& name) const {
  auto it = controls_.find(name);
  if (it == controls_.end()) {
    throw std::logic_error("no control named " + name);
  }
  return it->second;
}

void ConsoleUi::setCaption(const std::string& name, const std::string& text) {
  control(name).caption = text;
  if (name == kStatusLine) {
    log_.write("durum", text);
  }
}

std::string ConsoleUi::caption(const std::string& name) const {
  return control(name).caption;
}

std::optional<std::string> ConsoleUi::findControl(const std::string& name) const {
  for (const auto& [known, unused] : controls_) {
    if (equalsIgnoringAsciiCase(known, name)) {
      return known;
    }
  }
  for (const char* component : kComponents) {
    if (equalsIgnoringAsciiCase(component, name)) {
      return std::string(component);
    }
  }
  return std::nullopt;
}

void ConsoleUi::setFontColor(const std::string& name, Rgb color) {
  control(name).color = color;
}

Rgb ConsoleUi::fontColor(const std::string& name) const {
  return control(name).color;
}

void ConsoleUi::setEnabled(const std::string& name, bool enabled) {
  control(name).enabled = enabled;
}

bool ConsoleUi::isEnabled(const std::string& name) const {
  return control(name).enabled;
}

void ConsoleUi::click(const std::string& name) {
  control(name);
  auto it = handlers_.find(name);
  if (it != handlers_.end() && it->second) {
    it->second();
  }
}

void ConsoleUi::setClickHandler(const std::string& name, std::function<void()> handler) {
  handlers_[name] = std::move(handler);
}

void ConsoleUi::memoClear() {
  memo_.clear();
}

void ConsoleUi::memoAddLine(const std::string& line) {
  memo_.push_back(line);
  log_.write("not", line);
}

// Lines are new to the reader only when they fill an empty memo (the
// announcement); otherwise the memo is being put back together around a
// line already written.
void ConsoleUi::setMemoLines(const std::vector<std::string>& lines) {
  const bool wasEmpty = memo_.empty();
  memo_ = lines;
  if (wasEmpty) {
    for (const std::string& line : lines) {
      log_.write("not", line);
    }
  }
}

void ConsoleUi::setStatusPanel(int index, const std::string& text) {
  panels_[index] = text;
}

std::string ConsoleUi::statusPanel(int index) const {
  return panels_[index];
}

void ConsoleUi::setProgressMaximum(std::int32_t maximum) {
  progressMaximum_ = maximum;
  if (progressPosition_ > progressMaximum_) {
    progressPosition_ = progressMaximum_;
  }
  progress_.begin(maximum);
}

void ConsoleUi::setProgressPosition(std::int32_t position) {
  progressPosition_ =
      position < 0 ? 0 : (position > progressMaximum_ ? progressMaximum_ : position);
  // The bar stops at its maximum; the amount shown does not.
  progress_.advance(position);
}

void ConsoleUi::messageBox(const std::string& text) {
  messages_.push_back(text);
  log_.write("mesaj", text);
}

void ConsoleUi::errorBox(const std::string& text) {
  log_.write("hata", text);
}

}  // namespace zk
