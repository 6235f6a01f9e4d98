#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/default_handling.h"
#include "app/dialogs.h"
#include "app/qt/main_window.h"
#include "core/error.h"
#include "tests/support/qt/qt_application.h"

namespace zk {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ensureQtApplication();
    setBoxObserver([this](BoxKind kind, const std::string& text) {
      (kind == BoxKind::Error ? errors : messages).push_back(text);
    });
  }
  void TearDown() override { setBoxObserver({}); }

  std::vector<std::string> errors;
  std::vector<std::string> messages;
};

TEST(ErrorBoxText, FullStopAppendedOnlyAfterACharacterAboveIt) {
  EXPECT_EQ(errorBoxText("Disk full"), "Disk full.");
  EXPECT_EQ(errorBoxText("Connection refused."), "Connection refused.");
  EXPECT_EQ(errorBoxText("HTTP/1.1 404 Not Found (x)"), "HTTP/1.1 404 Not Found (x)");
  EXPECT_EQ(errorBoxText("Socket Error # 10061\r\n"), "Socket Error # 10061\r\n");
  EXPECT_EQ(errorBoxText(""), "");
  EXPECT_EQ(errorBoxText("Code 7"), "Code 7.");
  EXPECT_EQ(errorBoxText("Yıl ı"), "Yıl ı.");
}

TEST(ApplicationTitle, FileNameWithoutFolderAndExtensionCapitalised) {
  EXPECT_EQ(applicationTitle("/opt/zelvak/guncelleme"), "Guncelleme");
  EXPECT_EQ(applicationTitle("C:\\ZelvaK\\GUNCELLEME.EXE"), "Guncelleme");
  EXPECT_EQ(applicationTitle("guncelleme.tar.gz"), "Guncelleme");
}

TEST_F(WindowTest, DefaultHandlingShowsFailuresButNotTheSilentAbort) {
  runWithDefaultHandling([] { throw InOutError(101); });
  runWithDefaultHandling([] { silentAbort(); });
  runWithDefaultHandling([] { throw HttpProtocolError("HTTP/1.1 404 Not Found", 404, "x"); });
  EXPECT_EQ(errors, (std::vector<std::string>{"Disk full.", "HTTP/1.1 404 Not Found."}));
}

TEST_F(WindowTest, SilentAbortInNestedClickEndsChainQuietlyAfterOuterCleanup) {
  TForm1 form;
  std::vector<std::string> steps;
  form.setClickHandler("BitBtn3", [&] {
    steps.push_back("inner start");
    silentAbort();
  });
  form.setClickHandler("BitBtn2", [&] {
    try {
      form.click("BitBtn3");
      steps.push_back("after inner");
    } catch (...) {
      steps.push_back("outer cleanup");
      throw;
    }
  });
  form.findChild<QPushButton*>("BitBtn2")->click();
  EXPECT_EQ(steps, (std::vector<std::string>{"inner start", "outer cleanup"}));
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTest, FindByNameIgnoresAsciiCaseAndFindsNothingUnknown) {
  TForm1 form;
  EXPECT_EQ(form.findControl(std::string("label") + "13"), "Label13");
  EXPECT_EQ(form.findControl("BITBTN8"), "BitBtn8");
  EXPECT_EQ(form.findControl("timer1"), "Timer1");
  EXPECT_EQ(form.findControl("label24"), std::nullopt);
  EXPECT_EQ(form.findControl("label13 "), std::nullopt);
}

TEST_F(WindowTest, MemoPrependPutsNewestLineOnTop) {
  TForm1 form;
  form.memoClear();
  form.memoAddLine("duyuru");
  form.memoPrepend("** DLL ler İndilirdi.");
  form.memoPrepend("** Zelvak İndilirdi.");
  EXPECT_EQ(form.memoLines(),
            (std::vector<std::string>{"** Zelvak İndilirdi.", "** DLL ler İndilirdi.", "duyuru"}));
  EXPECT_EQ(form.memoSnapshot, "** DLL ler İndilirdi.\r\nduyuru\r\n");
  EXPECT_EQ(form.memoText(), "** Zelvak İndilirdi.\r\n** DLL ler İndilirdi.\r\nduyuru\r\n");
}

TEST_F(WindowTest, ProgrammaticClickRunsHandlersOfInvisibleAndDisabledButtons) {
  TForm1 form;
  int runs = 0;
  form.setClickHandler("Button1", [&] { ++runs; });
  form.setClickHandler("BitBtn7", [&] { ++runs; });
  form.setEnabled("BitBtn7", false);
  EXPECT_FALSE(form.findChild<QPushButton*>("Button1")->isVisibleTo(&form));
  form.click("Button1");
  form.click("BitBtn7");
  EXPECT_EQ(runs, 2);
}

TEST_F(WindowTest, ProgrammaticClickPassesFailureToTheCaller) {
  TForm1 form;
  form.setClickHandler("BitBtn7", [] { throw Error("Stream write error"); });
  EXPECT_THROW(form.click("BitBtn7"), Error);
  EXPECT_TRUE(errors.empty());
}

TEST_F(WindowTest, UserClicksAreIgnoredWhileAnActionRuns) {
  TForm1 form;
  int outer = 0;
  int inner = 0;
  form.setClickHandler("BitBtn4", [&] { ++inner; });
  form.setClickHandler("BitBtn2", [&] {
    ++outer;
    form.findChild<QPushButton*>("BitBtn4")->click();
    form.findChild<QPushButton*>("BitBtn8")->click();
    form.click("BitBtn4");
  });
  form.findChild<QPushButton*>("BitBtn2")->click();
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(inner, 1);  // only the programmatic one
  form.findChild<QPushButton*>("BitBtn4")->click();
  EXPECT_EQ(inner, 2);
}

TEST_F(WindowTest, ProgressPositionIsClampedIntoRange) {
  TForm1 form;
  form.setProgressMaximum(1000);
  form.setProgressPosition(1500);
  EXPECT_EQ(form.progressPosition(), 1000);
  form.setProgressPosition(-3);
  EXPECT_EQ(form.progressPosition(), 0);
  form.setProgressMaximum(0);
  form.setProgressPosition(40000);
  EXPECT_EQ(form.progressPosition(), 0);
  EXPECT_EQ(form.progressMaximum(), 0);
}

TEST_F(WindowTest, CloseWhilePumpingEndsLoopOnlyAfterTheHandlerFinished) {
  TForm1 form;
  bool handlerFinished = false;
  bool visibleAfterClose = false;
  form.setClickHandler("BitBtn5", [&] {
    QTimer::singleShot(0, &form, [&] { form.close(); });
    for (int i = 0; i < 20; ++i) {
      form.pump();
    }
    visibleAfterClose = form.isVisible();
    handlerFinished = true;
  });
  form.showCentred();
  QTimer::singleShot(0, &form, [&] { form.findChild<QPushButton*>("BitBtn5")->click(); });
  const int code = QApplication::exec();
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(handlerFinished);
  EXPECT_TRUE(visibleAfterClose);
  EXPECT_TRUE(form.quitRequested());
}

}  // namespace
}  // namespace zk

namespace zk {
namespace {

// The real boxes, closed by clicking their OK button as a user would.
struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
};

TEST(RealBoxes, MessageBoxHasTheTitleNoIconAndOneOkButton) {
  test::ensureQtApplication();
  setApplicationTitle("Guncelleme");
  TForm1 form;
  SeenBox seen;
  QTimer::singleShot(50, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = {box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())};
    box->button(QMessageBox::Ok)->click();
  });
  form.messageBox("Ayar Dosyası okunamadı.. Program sonlandırılacak");
  EXPECT_EQ(seen.caption, "Guncelleme");
  EXPECT_EQ(seen.text, "Ayar Dosyası okunamadı.. Program sonlandırılacak");
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons, 1);
}

TEST(RealBoxes, DefaultHandlingShowsTheStopIcon) {
  test::ensureQtApplication();
  setApplicationTitle("Guncelleme");
  SeenBox seen;
  QTimer::singleShot(50, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = {box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())};
    box->button(QMessageBox::Ok)->click();
  });
  runWithDefaultHandling([] { throw Error("Disk full"); });
  EXPECT_EQ(seen.caption, "Guncelleme");
  EXPECT_EQ(seen.text, "Disk full.");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, 1);
}

// A message is shown as it is, also when it looks like markup, and the box
// stands in the middle of the screen wherever the window has been moved to.
TEST(RealBoxes, BoxesShowTheTextAsItIsCentredOnTheScreen) {
  test::ensureQtApplication();
  setApplicationTitle("Guncelleme");
  TForm1 form;
  form.show();
  form.move(0, 0);
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  const auto inspect = [screenCentre](Qt::TextFormat& format, QPoint& offset) {
    QTimer::singleShot(50, [&format, &offset, screenCentre] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      format = box->textFormat();
      offset = box->frameGeometry().center() - screenCentre;
      box->button(QMessageBox::Ok)->click();
    });
  };
  Qt::TextFormat messageFormat = Qt::AutoText;
  QPoint messageOffset(1000, 1000);
  inspect(messageFormat, messageOffset);
  form.messageBox("<b>Yıl</b> &amp; 2024");
  Qt::TextFormat errorFormat = Qt::AutoText;
  QPoint errorOffset(1000, 1000);
  inspect(errorFormat, errorOffset);
  runWithDefaultHandling([] { throw Error("HTTP/1.1 500 <i>Internal</i> Error"); });
  EXPECT_EQ(messageFormat, Qt::PlainText);
  EXPECT_EQ(errorFormat, Qt::PlainText);
  EXPECT_LE(messageOffset.manhattanLength(), 2);
  EXPECT_LE(errorOffset.manhattanLength(), 2);
}

}  // namespace
}  // namespace zk
