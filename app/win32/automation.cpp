#include "app/win32/automation.h"

#include <cstdlib>
#include <string>

#include "app/win32/main_window.h"
#include "app/win32/window_picture.h"
#include "platform/console.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

// Thread timers call back without a context of their own.
TForm1* automatedForm = nullptr;
UINT_PTR pollTimer = 0;
UINT_PTR screenshotTimer = 0;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void print(const std::string& text) {
  platform::writeStandardOutput(text);
}

void saveScreenshot(const std::string& path) {
  if (!path.empty() && !saveWindowPicture(automatedForm->handle(), path)) {
    platform::writeStandardError("cannot save " + path + "\n");
  }
}

void reportWindow(const char* moment) {
  TForm1& form = *automatedForm;
  std::string report;
  const std::string prefix = std::string("DEMO ") + moment + " ";
  report += prefix + "licence year: " + form.caption("Label2") + "\n";
  for (const ModuleEntry& entry : ModuleCatalogue::rows()) {
    report += prefix + std::string(entry.captionText) +
              ": installed=" + form.caption(std::string(entry.localLabel)) +
              " server=" + form.caption(std::string(entry.serverLabel)) + "\n";
  }
  report += prefix + "status: " + form.status() + "\n";
  for (const std::string& line : form.memoLines()) {
    report += prefix + "memo: " + line + "\n";
  }
  print(report);
}

void close() {
  PostMessageW(automatedForm->handle(), WM_CLOSE, 0, 0);
}

void pressAutomaticUpdate() {
  TForm1& form = *automatedForm;
  reportWindow("before");
  saveScreenshot(environment("ZK_SCREENSHOT_BEFORE"));
  print("DEMO pressing: Otomatik Güncelle\n");
  // The button's own click, as the mouse gives it.
  SendMessageW(form.controlHandle("BitBtn1"), BM_CLICK, 0, 0);
  form.pump();
  reportWindow("after");
  saveScreenshot(environment("ZK_SCREENSHOT_AFTER"));
  close();
}

// Waits for the end of the server check: it unlocks the buttons and leaves
// its handler.
void CALLBACK pollForUnlockedButtons(HWND, UINT, UINT_PTR, DWORD) {
  TForm1& form = *automatedForm;
  if (pollTimer != 0 && form.versionCheckDone && !form.userClicksIgnored() &&
      form.isEnabled("BitBtn1")) {
    KillTimer(nullptr, pollTimer);
    pollTimer = 0;
    pressAutomaticUpdate();
  }
}

void CALLBACK giveUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  print("DEMO timed out\n");
  close();
}

void CALLBACK takeScreenshot(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  saveScreenshot(environment("ZK_SCREENSHOT"));
  if (environment("ZK_QUIT_AFTER_SCREENSHOT") == "1") {
    close();
  }
}

}  // namespace

void startAutomation(TForm1& form) {
  automatedForm = &form;
  if (environment("ZK_DEMO_AUTOMATIC_UPDATE") == "1") {
    pollTimer = SetTimer(nullptr, 0, 100, &pollForUnlockedButtons);
    const std::string limit = environment("ZK_DEMO_TIMEOUT_SECONDS");
    const int seconds = limit.empty() ? 120 : std::atoi(limit.c_str());
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &giveUp);
  }
  if (!environment("ZK_SCREENSHOT").empty()) {
    screenshotTimer = SetTimer(nullptr, 0, 300, &takeScreenshot);
  }
}

}  // namespace zk
