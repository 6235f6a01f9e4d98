#include "app/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <iostream>
#include <stdexcept>

#include "app/default_handling.h"
#include "app/dialogs.h"
#include "app/window_layout.h"
#include "core/text_encoding.h"

namespace zk {
namespace {

QString q(const std::string& text) {
  return QString::fromStdString(text);
}
QString q(std::string_view text) {
  return QString::fromUtf8(text.data(), text.size());
}

constexpr const char* kFontFamily = "Liberation Sans";

QFont designFont(const ControlDesign& design) {
  QFont font(kFontFamily);
  font.setPixelSize(design.fontPixels);
  font.setBold(design.bold);
  return font;
}

void setTextColor(QWidget* widget, QPalette::ColorRole role, Rgb color) {
  // Only the enabled look takes the colour: a disabled button stays greyed.
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Active, role, QColor(color.red, color.green, color.blue));
  palette.setColor(QPalette::Inactive, role, QColor(color.red, color.green, color.blue));
  widget->setPalette(palette);
}

// The window's own icon: a green shell with a white "Z".
QIcon ownIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0, 128, 0));
  painter.setPen(QPen(QColor(0, 80, 0), 2));
  painter.drawEllipse(2, 4, 28, 24);
  QFont font(kFontFamily);
  font.setPixelSize(18);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, "Z");
  return QIcon(pixmap);
}

}  // namespace

TForm1::TForm1(Tdm* dm) : QWidget(nullptr), MainForm(dm) {
  setObjectName("Form1");
  setWindowTitle(q(kWindowCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  setWindowIcon(ownIcon());
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  setPalette(palette);
  QFont font(kFontFamily);
  font.setPixelSize(11);
  setFont(font);

  buildControls();

  timer_ = new QTimer(this);
  timer_->setObjectName("Timer1");
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (auto code = runWithDefaultHandling([this] { Timer1Timer(); })) {
      QCoreApplication::exit(*code);
    }
  });
}

TForm1::~TForm1() {
  if (hourglass_) {
    QApplication::restoreOverrideCursor();
  }
}

void TForm1::buildControls() {
  std::vector<std::pair<int, QWidget*>> tabOrder;
  for (const ControlDesign& design : windowDesign()) {
    const std::string name(design.name);
    QWidget* control = nullptr;
    switch (design.kind) {
      case ControlKind::Label: {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setText(q(design.caption));
        label->setFont(designFont(design));
        labelAnchors_[name] = {design.left + design.width, design.rightAligned};
        control = label;
        break;
      }
      case ControlKind::Button:
      case ControlKind::PushButton: {
        auto* button = new QPushButton(q(design.caption), this);
        button->setFont(design.face == FontFace::WindowFont ? font() : designFont(design));
        button->setAutoDefault(false);
        connectUserClick(button, name);
        control = button;
        break;
      }
      case ControlKind::Memo: {
        memo_ = new QPlainTextEdit(this);
        memo_->setReadOnly(true);
        memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo_->setFont(designFont(design));
        setMemoLines({std::string(design.caption)});
        control = memo_;
        break;
      }
      case ControlKind::ProgressBar: {
        progressBar_ = new QProgressBar(this);
        progressBar_->setRange(0, 100);
        progressBar_->setValue(0);
        progressBar_->setTextVisible(false);
        control = progressBar_;
        break;
      }
      case ControlKind::StatusBar: {
        auto* bar = new QStatusBar(this);
        bar->setSizeGripEnabled(false);
        for (int i = 0; i < 3; ++i) {
          panels_[i] = new QLabel(bar);
          panels_[i]->setTextFormat(Qt::PlainText);
          panels_[i]->setFixedWidth(kStatusPanelWidths[i]);
          panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
          bar->addWidget(panels_[i]);
        }
        control = bar;
        break;
      }
    }
    control->setObjectName(q(name));
    control->setGeometry(design.left, design.top, design.width, design.height);
    if (design.hasColor) {
      setTextColor(control,
                   design.kind == ControlKind::Label ? QPalette::WindowText : QPalette::ButtonText,
                   design.color);
    }
    if (design.kind == ControlKind::Label) {
      fitLabel(static_cast<QLabel*>(control));
    }
    control->setVisible(design.visible);
    if (design.tabOrder > 0) {
      tabOrder.emplace_back(design.tabOrder, control);
    }
    widgets_[name] = control;
  }
  std::sort(tabOrder.begin(), tabOrder.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < tabOrder.size(); ++i) {
    QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
  }
}

void TForm1::connectUserClick(QPushButton* button, const std::string& name) {
  connect(button, &QPushButton::clicked, this, [this, name] {
    if (userClicksIgnored()) {
      return;
    }
    BusyScope busy(*this);
    if (auto code = runWithDefaultHandling([this, &name] { click(name); })) {
      QCoreApplication::exit(*code);
    }
  });
}

QWidget* TForm1::widget(const std::string& name) const {
  auto it = widgets_.find(name);
  if (it == widgets_.end()) {
    throw std::logic_error("no control named " + name);
  }
  return it->second;
}

QLabel* TForm1::label(const std::string& name) const {
  return qobject_cast<QLabel*>(widget(name));
}

// A label sizes itself to its caption; a right-aligned one keeps its right edge.
void TForm1::fitLabel(QLabel* label) {
  label->adjustSize();
  const LabelAnchor& anchor = labelAnchors_[label->objectName().toStdString()];
  if (anchor.rightAligned) {
    label->move(anchor.right - label->width(), label->y());
  }
}

void TForm1::setCaption(const std::string& name, const std::string& text) {
  QWidget* control = widget(name);
  if (auto* asLabel = qobject_cast<QLabel*>(control)) {
    asLabel->setText(q(text));
    fitLabel(asLabel);
  } else if (auto* button = qobject_cast<QPushButton*>(control)) {
    button->setText(q(text));
  } else {
    control->setWindowTitle(q(text));
  }
}

std::string TForm1::caption(const std::string& name) const {
  QWidget* control = widget(name);
  if (auto* asLabel = qobject_cast<QLabel*>(control)) {
    return asLabel->text().toStdString();
  }
  if (auto* button = qobject_cast<QPushButton*>(control)) {
    return button->text().toStdString();
  }
  return control->windowTitle().toStdString();
}

void TForm1::setFontColor(const std::string& name, Rgb color) {
  setTextColor(widget(name), QPalette::WindowText, color);
}

Rgb TForm1::fontColor(const std::string& name) const {
  const QColor color = widget(name)->palette().color(QPalette::Active, QPalette::WindowText);
  return Rgb{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
             static_cast<std::uint8_t>(color.blue())};
}

void TForm1::setEnabled(const std::string& name, bool enabled) {
  widget(name)->setEnabled(enabled);
}

bool TForm1::isEnabled(const std::string& name) const {
  return widget(name)->isEnabled();
}

void TForm1::click(const std::string& name) {
  widget(name);
  runClickHandler(name);
}

void TForm1::renderMemo() {
  QStringList lines;
  for (const std::string& line : memoLines()) {
    lines << q(line);
  }
  memo_->setPlainText(lines.join('\n'));
}

void TForm1::setStatusPanel(int index, const std::string& text) {
  panels_[index]->setText(q(text));
}

std::string TForm1::statusPanel(int index) const {
  return panels_[index]->text().toStdString();
}

void TForm1::renderProgress() {
  // The toolkit's bar animates a busy state for an empty range; an empty bar
  // is what the user should see.
  progressBar_->setRange(0, progressMaximum() > 0 ? progressMaximum() : 1);
  progressBar_->setValue(progressPosition());
}

void TForm1::repaintProgress() {
  progressBar_->repaint();
}

void TForm1::pump() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TForm1::messageBox(const std::string& text) {
  showMessageBox(text);
}

void TForm1::setHourglass(bool on) {
  if (on && !hourglass_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (!on && hourglass_) {
    QApplication::restoreOverrideCursor();
  }
  hourglass_ = on;
}

void TForm1::setTimerEnabled(bool enabled) {
  if (enabled) {
    timer_->start();
  } else {
    timer_->stop();
  }
}

void TForm1::showCentred() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
}

// Closing is a request to end: the window stays until control is back in the
// event loop, which then ends (at once when idle, after the running handler
// otherwise).
void TForm1::closeEvent(QCloseEvent* event) {
  event->ignore();
  quitRequested_ = true;
  QCoreApplication::exit(0);
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shownOnce_ && boxesCloseThemselves()) {
    std::cerr << "WINDOW SHOWN" << std::endl;
  }
  shownOnce_ = true;
}

}  // namespace zk
