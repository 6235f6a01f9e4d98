#pragma once

#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "app/main_form.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zk {

// The main window Form1 drawn with Qt: the controls of its design and the
// user-interface operations every routine uses.
class TForm1 : public QWidget, public MainForm {
  Q_OBJECT

 public:
  explicit TForm1(Tdm* dm = nullptr);
  ~TForm1() override;

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

  // Shows the window centred on the screen.
  void showCentred();
  bool quitRequested() const { return quitRequested_; }

 protected:
  void renderMemo() override;
  void renderProgress() override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct LabelAnchor {
    int right;
    bool rightAligned;
  };
  void buildControls();
  void connectUserClick(QPushButton* button, const std::string& name);
  QWidget* widget(const std::string& name) const;
  QLabel* label(const std::string& name) const;
  void fitLabel(QLabel* label);

  std::map<std::string, QWidget*> widgets_;
  std::map<std::string, LabelAnchor> labelAnchors_;
  QPlainTextEdit* memo_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* panels_[3] = {};
  QTimer* timer_ = nullptr;
  bool hourglass_ = false;
  bool quitRequested_ = false;
  bool shownOnce_ = false;
};

}  // namespace zk
