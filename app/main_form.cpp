#include "app/main_form.h"

#include "app/window_layout.h"
#include "core/text_encoding.h"

namespace zk {

MainForm::MainForm(Tdm* dm) : dm_(dm) {
  handlers_["Button1"] = [this] { Button1Click(); };
  handlers_["BitBtn1"] = [this] { BitBtn1Click(); };
  handlers_["BitBtn2"] = [this] { BitBtn2Click(); };
  handlers_["BitBtn3"] = [this] { BitBtn3Click(); };
  handlers_["BitBtn4"] = [this] { BitBtn4Click(); };
  handlers_["BitBtn5"] = [this] { BitBtn5Click(); };
  handlers_["BitBtn7"] = [this] { BitBtn7Click(); };
  handlers_["BitBtn8"] = [this] { BitBtn8Click(); };
}

std::optional<std::string> MainForm::findControl(const std::string& name) const {
  for (const ControlDesign& control : windowDesign()) {
    if (equalsIgnoringAsciiCase(std::string(control.name), name)) {
      return std::string(control.name);
    }
  }
  for (const char* component : {"Timer1", "IdHTTP1"}) {
    if (equalsIgnoringAsciiCase(component, name)) {
      return std::string(component);
    }
  }
  return std::nullopt;
}

void MainForm::setClickHandler(const std::string& control, std::function<void()> handler) {
  handlers_[control] = std::move(handler);
}

void MainForm::runClickHandler(const std::string& control) {
  auto it = handlers_.find(control);
  if (it != handlers_.end() && it->second) {
    it->second();
  }
}

void MainForm::memoClear() {
  memoLines_.clear();
  renderMemo();
}

void MainForm::memoAddLine(const std::string& line) {
  memoLines_.push_back(line);
  renderMemo();
}

void MainForm::setMemoLines(const std::vector<std::string>& lines) {
  memoLines_ = lines;
  renderMemo();
}

void MainForm::setProgressMaximum(std::int32_t maximum) {
  progressMaximum_ = maximum;
  if (progressPosition_ > progressMaximum_) {
    progressPosition_ = progressMaximum_;
  }
  renderProgress();
}

void MainForm::setProgressPosition(std::int32_t position) {
  progressPosition_ =
      position < 0 ? 0 : (position > progressMaximum_ ? progressMaximum_ : position);
  renderProgress();
}

}  // namespace zk
