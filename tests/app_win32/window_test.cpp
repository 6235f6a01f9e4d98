// The native main window as a user and a user's tools see it: found by its
// class and caption, its controls by their identifiers, their texts through
// window messages and their colours on the screen.

#include "tests/app_win32/window_driver.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "app/default_handling.h"
#include "app/dialogs.h"
#include "app/window_layout.h"
#include "platform/win32/wide_text.h"

namespace zk::test {
namespace {

// A window whose clock only counts its ticks.
class Ticking : public TForm1 {
 public:
  void Timer1Timer() override { ++ticks; }
  int ticks = 0;
};

class NativeWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    setApplicationTitle("Guncelleme");
  }
  void SetUp() override {
    form = std::make_unique<TForm1>();
    form->showCentred();
    window = findMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window, form->handle());
  }
  void TearDown() override {
    form.reset();
    // Leaves no quit request behind for the next test.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND control(const char* name) const { return findControl(window, name); }

  std::unique_ptr<TForm1> form;
  HWND window = nullptr;
};

TEST_F(NativeWindow, LaysOutEveryControlOfTheDesignAtNinetySixDpi) {
  ASSERT_EQ(form->scaled(100), 100) << "the suite's display is at 96 DPI";
  EXPECT_EQ(windowText(window), kWindowCaption);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, kClientWidth);
  EXPECT_EQ(client.bottom, kClientHeight);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  for (const ControlDesign& expected : windowDesign()) {
    SCOPED_TRACE(std::string(expected.name));
    HWND child = control(std::string(expected.name).c_str());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(IsWindowVisible(child) != FALSE, expected.visible);
    const RECT rect = clientRect(window, child);
    EXPECT_EQ(rect.top, expected.top);
    if (expected.kind == ControlKind::Label) {
      // A label takes the size of its caption; a right-aligned one keeps its
      // right edge where the design puts it.
      if (expected.rightAligned) {
        EXPECT_EQ(rect.right, expected.left + expected.width);
      } else {
        EXPECT_EQ(rect.left, expected.left);
      }
      continue;
    }
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.right - rect.left, expected.width);
    EXPECT_EQ(rect.bottom - rect.top, expected.height);
  }
}

TEST_F(NativeWindow, ControlsCarryTheDesignFontsAndTheMemoIsReadOnlyWithAVerticalBar) {
  for (const ControlDesign& expected : windowDesign()) {
    if (expected.kind == ControlKind::ProgressBar || expected.kind == ControlKind::StatusBar) {
      continue;
    }
    SCOPED_TRACE(std::string(expected.name));
    LOGFONTW font{};
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(
        SendMessageW(control(std::string(expected.name).c_str()), WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(handle, sizeof font, &font), 0);
    EXPECT_EQ(platform::win32::narrow(font.lfFaceName),
              expected.face == FontFace::Arial ? "Arial" : "MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -expected.fontPixels);
    EXPECT_EQ(font.lfWeight >= FW_BOLD, expected.bold);
  }
  const LONG memo = GetWindowLongW(control("Memo1"), GWL_STYLE);
  EXPECT_TRUE(memo & ES_MULTILINE);
  EXPECT_TRUE(memo & ES_READONLY);
  EXPECT_TRUE(memo & WS_VSCROLL);
  EXPECT_FALSE(memo & WS_HSCROLL);
  EXPECT_TRUE(GetWindowLongW(control("ProgressBar"), GWL_STYLE) & PBS_SMOOTH);
}

TEST_F(NativeWindow, TabMovesThroughTheControlsInTheDesignOrder) {
  // The visible controls that take the focus, in their tab order.
  const char* expected[] = {"BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5",
                            "Memo1",   "BitBtn7", "BitBtn8", "BitBtn1"};
  HWND current = control("BitBtn2");
  for (std::size_t i = 1; i < std::size(expected); ++i) {
    current = GetNextDlgTabItem(window, current, FALSE);
    EXPECT_EQ(current, control(expected[i])) << "after " << expected[i - 1];
  }
}

TEST_F(NativeWindow, CaptionsReadBackAsSetWithTurkishLettersAndLabelsResize) {
  form->setCaption("Label19", "Yerel Versiyon kontrolleri yapılıyor..");
  EXPECT_EQ(windowText(control("Label19")), "Yerel Versiyon kontrolleri yapılıyor..");
  EXPECT_EQ(form->status(), "Yerel Versiyon kontrolleri yapılıyor..");
  const RECT longer = clientRect(window, control("Label19"));
  form->setStatus("Şİ");
  const RECT shorter = clientRect(window, control("Label19"));
  EXPECT_LT(shorter.right - shorter.left, longer.right - longer.left);
  EXPECT_EQ(shorter.left, longer.left);

  const RECT before = clientRect(window, control("Label7"));
  form->setCaption("Label7", "Yazdırma Modülü Çıktı");
  const RECT after = clientRect(window, control("Label7"));
  EXPECT_EQ(after.right, before.right) << "right-aligned row caption keeps its right edge";
  EXPECT_LT(after.left, before.left);

  form->setCaption("BitBtn2", "1- Ğüşiöç");
  EXPECT_EQ(windowText(control("BitBtn2")), "1- Ğüşiöç");
  EXPECT_EQ(windowText(control("BitBtn7")), "5-  DLL");
  EXPECT_EQ(windowText(control("Button2")), "2- İndir      ");
}

TEST_F(NativeWindow, LabelsAndButtonsShowTheirColoursOnTheScreen) {
  form->setCaption("Label13", "8888");
  form->setCaption("Label21", "8888");
  {
    ScreenPixels pixels(control("Label13"));
    EXPECT_GT(pixels.count(colors::kBlue), 0);
    EXPECT_EQ(pixels.count(colors::kRed), 0);
  }
  EXPECT_GT(ScreenPixels(control("Label21")).count(colors::kRed), 0);
  EXPECT_GT(ScreenPixels(control("Label11")).count(colors::kGreen), 0);

  form->setFontColor("Label13", colors::kRed);
  EXPECT_EQ(form->fontColor("Label13"), colors::kRed);
  {
    ScreenPixels pixels(control("Label13"));
    EXPECT_GT(pixels.count(colors::kRed), 0);
    EXPECT_EQ(pixels.count(colors::kBlue), 0);
  }
  EXPECT_GT(ScreenPixels(control("BitBtn2")).count(colors::kRed), 0);
  EXPECT_GT(ScreenPixels(control("BitBtn3")).count(colors::kBlue), 0);
  EXPECT_GT(ScreenPixels(control("BitBtn7")).count(colors::kMaroon), 0);
  // A disabled button is greyed, without its colour.
  form->setEnabled("BitBtn2", false);
  EXPECT_EQ(ScreenPixels(control("BitBtn2")).count(colors::kRed), 0);
}

TEST_F(NativeWindow, AUserClickRunsTheHandlerOnlyOnAnEnabledButton) {
  int clicks = 0;
  form->setClickHandler("BitBtn8", [&clicks] { ++clicks; });
  SendMessageW(control("BitBtn8"), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);

  form->setEnabled("BitBtn8", false);
  EXPECT_FALSE(IsWindowEnabled(control("BitBtn8")));
  EXPECT_FALSE(form->isEnabled("BitBtn8"));
  SendMessageW(control("BitBtn8"), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);

  // A programmatic click runs the handler of the invisible, disabled button,
  // and its failure reaches the caller.
  form->setEnabled("Button1", false);
  form->setClickHandler("Button1", [] { throw std::runtime_error("Disk full"); });
  EXPECT_THROW(form->click("Button1"), std::runtime_error);
  EXPECT_THROW(form->click("NoSuchButton"), std::logic_error);
  EXPECT_EQ(form->findControl("label13"), "Label13");
  EXPECT_EQ(form->findControl("TIMER1"), "Timer1");
  EXPECT_EQ(form->findControl("Label16"), std::nullopt);
}

TEST_F(NativeWindow, MemoStatusBarAndProgressBarShowWhatTheProgramSets) {
  EXPECT_EQ(windowText(control("Memo1")), "Memo1");
  form->memoClear();
  form->memoAddLine("ZelvaK 2027 güncellemeleri yayında.");
  form->memoPrepend("** Zelvak İndilirdi.");
  EXPECT_EQ(windowText(control("Memo1")),
            "** Zelvak İndilirdi.\r\nZelvaK 2027 güncellemeleri yayında.");

  HWND statusBar = control("StatusBar1");
  ASSERT_EQ(SendMessageW(statusBar, SB_GETPARTS, 0, 0), 3);
  int edges[3] = {};
  SendMessageW(statusBar, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  EXPECT_EQ(edges[0], 150);
  EXPECT_EQ(edges[1], 250);
  EXPECT_EQ(edges[2], 400);
  form->setStatusPanel(0, "ver: 2027.01");
  form->setStatusPanel(2, "C:\\ZelvaK\\Veri\\şirket.fdb");
  wchar_t text[128] = {};
  SendMessageW(statusBar, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(platform::win32::narrow(text), "C:\\ZelvaK\\Veri\\şirket.fdb");
  SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(platform::win32::narrow(text), "ver: 2027.01");

  HWND progress = control("ProgressBar");
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 100);
  form->setProgressMaximum(4000);
  form->setProgressPosition(1000);
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 4000);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 1000);
  form->setProgressPosition(5000);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 4000);
  form->setProgressMaximum(0);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 0);
}

TEST_F(NativeWindow, TheClockTicksEverySecondOnceTheTimerIsOn) {
  form.reset();
  auto ticking = std::make_unique<Ticking>();
  ticking->showCentred();
  EXPECT_FALSE(pumpUntil([&] { return ticking->ticks > 0; }, 1500)) << "timer off at creation";
  ticking->setTimerEnabled(true);
  EXPECT_TRUE(pumpUntil([&] { return ticking->ticks >= 2; }, 5000));
  ticking->setTimerEnabled(false);
}

TEST_F(NativeWindow, HourglassIsTheCursorOverTheWholeWindowWhileOn) {
  form->setHourglass(true);
  SendMessageW(control("Memo1"), WM_SETCURSOR, reinterpret_cast<WPARAM>(control("Memo1")),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  form->setHourglass(false);
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(NativeWindow, ClosingWhileAHandlerPumpsEndsTheLoopOnlyAfterTheHandler) {
  bool handlerFinished = false;
  form->setClickHandler("BitBtn8", [&] {
    PostMessageW(window, WM_CLOSE, 0, 0);
    form->pump();
    EXPECT_TRUE(IsWindowVisible(window)) << "the window stays while the handler runs";
    handlerFinished = true;
  });
  PostMessageW(control("BitBtn8"), BM_CLICK, 0, 0);
  EXPECT_EQ(form->runMessageLoop(), 0);
  EXPECT_TRUE(handlerFinished);
  EXPECT_TRUE(form->quitRequested());
}

TEST_F(NativeWindow, AFailureLeavingAUserClickIsShownInTheErrorBoxAndTheWindowGoesOn) {
  form->setClickHandler("BitBtn8", [] { throw std::runtime_error("Disk full"); });
  MessageBoxWatcher watcher;
  SendMessageW(control("BitBtn8"), BM_CLICK, 0, 0);
  const SeenBox seen = watcher.result();
  EXPECT_EQ(seen.caption, "Guncelleme");
  EXPECT_EQ(seen.text, "Disk full.");
  EXPECT_TRUE(seen.icon) << "the error box carries the stop icon";
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(form->quitRequested());
}

TEST_F(NativeWindow, AMessageBoxHasOneOkButtonNoIconAndTheClockTicksBehindIt) {
  form.reset();
  auto ticking = std::make_unique<Ticking>();
  ticking->showCentred();
  ticking->setTimerEnabled(true);
  MessageBoxWatcher watcher(2500);
  ticking->messageBox("Internet Bağlantınız yok. Bağlantı olmadan güncelleme gerçekleştirilemez.");
  const SeenBox seen = watcher.result();
  EXPECT_EQ(seen.caption, "Guncelleme");
  EXPECT_EQ(seen.text, "Internet Bağlantınız yok. Bağlantı olmadan güncelleme gerçekleştirilemez.");
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_TRUE(seen.okButton);
  EXPECT_FALSE(seen.icon);
  EXPECT_GE(ticking->ticks, 1) << "the clock keeps ticking while the box is open";
}

}  // namespace
}  // namespace zk::test
