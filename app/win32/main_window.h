#pragma once

// The archive interfaces name their result codes as the system's headers do,
// so they come before <windows.h> turns those names into macros.
#include "app/main_form.h"
#include "app/window_layout.h"
// clang-format off
#include <windows.h>
// clang-format on

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zk {

// The window class of the main window, as tools outside the program find it.
inline constexpr wchar_t kMainWindowClass[] = L"TForm1";

// The main window Form1 drawn with Windows' own controls: static labels,
// buttons (the coloured ones drawn by the window itself), a multi-line edit,
// a progress bar and a status bar, laid out from the design table at the
// system's DPI.
class TForm1 : public MainForm {
 public:
  explicit TForm1(Tdm* dm = nullptr);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // UserInterface
  void setCaption(const std::string& control, const std::string& text) override;
  std::string caption(const std::string& control) const override;
  void setFontColor(const std::string& control, Rgb color) override;
  Rgb fontColor(const std::string& control) const override;
  void setEnabled(const std::string& control, bool enabled) override;
  bool isEnabled(const std::string& control) const override;
  void click(const std::string& control) override;
  void setStatusPanel(int index, const std::string& text) override;
  std::string statusPanel(int index) const override;
  void repaintProgress() override;
  void pump() override;
  void messageBox(const std::string& text) override;
  void setHourglass(bool on) override;
  void setTimerEnabled(bool enabled) override;

  HWND handle() const { return window_; }
  HWND controlHandle(const std::string& name) const;
  // Shows the window centred on the screen's work area.
  void showCentred();
  // Takes and dispatches messages, waiting when there are none, until the
  // program is marked to end; returns the exit code.
  int runMessageLoop();
  // Closing is a request to end: the loop ends once control is back in it.
  void requestEnd(int exitCode);
  bool quitRequested() const { return quitRequested_; }
  // Design pixels at 96 DPI to the screen's pixels.
  int scaled(int designPixels) const;

 private:
  void renderMemo() override;
  void renderProgress() override;
  struct Control {
    const ControlDesign* design;
    HWND window;
    std::string caption;
    Rgb color;
    bool hasColor;
  };
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void createWindow();
  void createControls();
  HFONT fontFor(const ControlDesign& design);
  void fitLabel(Control& control);
  void drawButton(const DRAWITEMSTRUCT& item);
  void userClick(const std::string& name);
  void timerTick();
  void dispatch(MSG& message);
  Control& control(const std::string& name);
  const Control& control(const std::string& name) const;
  const Control* controlWithWindow(HWND window) const;

  HWND window_ = nullptr;
  int dpi_ = 96;
  std::map<std::string, Control> controls_;
  std::vector<HFONT> fonts_;
  HFONT windowFont_ = nullptr;
  HWND memo_ = nullptr;
  HWND progressBar_ = nullptr;
  HWND statusBar_ = nullptr;
  std::string panels_[3];
  bool hourglass_ = false;
  bool quitRequested_ = false;
  int exitCode_ = 0;
};

}  // namespace zk
