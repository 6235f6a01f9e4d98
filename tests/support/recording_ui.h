#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace zk::test {

// A window stand-in for tests: holds the window's controls by name, records
// what routines do to them, and runs registered handlers on click.
class RecordingUi : public UserInterface {
 public:
  RecordingUi();

  void setCaption(const std::string& control, const std::string& text) override;
  std::string caption(const std::string& control) const override;
  std::optional<std::string> findControl(const std::string& name) const override;
  void setFontColor(const std::string& control, Rgb color) override;
  Rgb fontColor(const std::string& control) const override;
  void setEnabled(const std::string& control, bool enabled) override;
  bool isEnabled(const std::string& control) const override;
  void click(const std::string& control) override;

  void memoClear() override { memo.clear(); }
  void memoAddLine(const std::string& line) override { memo.push_back(line); }
  void setMemoLines(const std::vector<std::string>& lines) override { memo = lines; }
  std::vector<std::string> memoLines() const override { return memo; }

  void setStatusPanel(int index, const std::string& text) override;
  std::string statusPanel(int index) const override;

  void setProgressMaximum(std::int32_t maximum) override;
  std::int32_t progressMaximum() const override { return progressMax; }
  void setProgressPosition(std::int32_t position) override;
  std::int32_t progressPosition() const override { return progressPos; }
  void repaintProgress() override { ++progressRepaints; }

  void pump() override;
  void messageBox(const std::string& text) override;
  void setHourglass(bool on) override;
  void setTimerEnabled(bool enabled) override { timerEnabled = enabled; }

  // Every status line set, in order.
  std::vector<std::string> statusHistory;
  // Every message box text, in order.
  std::vector<std::string> messages;
  // Every caption set, as "Control=text", in order.
  std::vector<std::string> captionHistory;
  std::vector<std::string> memo;
  std::map<std::string, std::function<void()>> handlers;
  // Called on every pump (a test can click or fail from inside a pump).
  std::function<void()> onPump;
  // Called on every message box, after it was recorded.
  std::function<void(const std::string&)> onMessageBox;
  std::string panels[3];
  std::int32_t progressMax = 100;
  std::int32_t progressPos = 0;
  int progressRepaints = 0;
  int pumps = 0;
  bool hourglass = false;
  int hourglassOnCount = 0;
  bool timerEnabled = false;

 private:
  struct Control {
    std::string caption;
    Rgb color{};
    bool enabled = true;
  };
  Control& control(const std::string& name);
  const Control& control(const std::string& name) const;
  std::map<std::string, Control> controls_;
};

}  // namespace zk::test
