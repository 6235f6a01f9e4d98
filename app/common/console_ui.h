#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/common/download_progress.h"
#include "core/user_interface.h"

namespace zk {

// The log of a run without a window: one line per event, the local time in
// front ("2027-01-05 03:00:01 durum: ...").
class RunLog {
 public:
  using Writer = std::function<void(std::string_view)>;
  using Timestamp = std::function<std::string()>;

  RunLog(Writer writer, Timestamp timestamp);
  // kind: "durum" (status line), "not" (memo line), "mesaj" (message box),
  // "hata" (error box), "ilerleme" (download progress), "sonuç" (the outcome).
  void write(std::string_view kind, std::string_view text);

 private:
  Writer writer_;
  Timestamp timestamp_;
};

// The window's operations without a window, for the command-line runs. The
// controls of the window's design exist with their captions, so that the
// routines find and read them as they would on the window; what a person
// would see (status line, memo lines, message boxes) is written to the log,
// and every message box is answered at once as its OK button would be.
// Clicks run the handlers given with setClickHandler.
class ConsoleUi final : public UserInterface {
 public:
  ConsoleUi(RunLog& log, DownloadProgress& progress);

  void setCaption(const std::string& control, const std::string& text) override;
  std::string caption(const std::string& control) const override;
  std::optional<std::string> findControl(const std::string& name) const override;
  void setFontColor(const std::string& control, Rgb color) override;
  Rgb fontColor(const std::string& control) const override;
  void setEnabled(const std::string& control, bool enabled) override;
  bool isEnabled(const std::string& control) const override;
  void click(const std::string& control) override;
  void memoClear() override;
  void memoAddLine(const std::string& line) override;
  void setMemoLines(const std::vector<std::string>& lines) override;
  std::vector<std::string> memoLines() const override { return memo_; }
  void setStatusPanel(int index, const std::string& text) override;
  std::string statusPanel(int index) const override;
  void setProgressMaximum(std::int32_t maximum) override;
  std::int32_t progressMaximum() const override { return progressMaximum_; }
  void setProgressPosition(std::int32_t position) override;
  std::int32_t progressPosition() const override { return progressPosition_; }
  void repaintProgress() override {}
  // There are no window events to dispatch.
  void pump() override {}
  void messageBox(const std::string& text) override;
  void setHourglass(bool) override {}
  void setTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }

  // The error box of the default handling, as a log line.
  void errorBox(const std::string& text);
  void setClickHandler(const std::string& control, std::function<void()> handler);
  // Whether the clock was started: the window's check would follow.
  bool timerEnabled() const { return timerEnabled_; }
  // Every message box text, in order.
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  struct Control {
    std::string caption;
    Rgb color;
    bool enabled = true;
  };
  Control& control(const std::string& name);
  const Control& control(const std::string& name) const;

  RunLog& log_;
  DownloadProgress& progress_;
  std::map<std::string, Control> controls_;
  std::map<std::string, std::function<void()>> handlers_;
  std::vector<std::string> memo_;
  std::vector<std::string> messages_;
  std::string panels_[3];
  std::int32_t progressMaximum_ = 100;
  std::int32_t progressPosition_ = 0;
  bool timerEnabled_ = false;
};

}  // namespace zk
