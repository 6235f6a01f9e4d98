#include "app/qt/automation.h"

#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/qt/main_window.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void saveScreenshot(TForm1& form, const std::string& path) {
  if (!path.empty() && !form.grab().save(QString::fromStdString(path))) {
    std::cerr << "cannot save " << path << std::endl;
  }
}

void reportWindow(TForm1& form, const char* moment) {
  std::cout << "DEMO " << moment << " licence year: " << form.caption("Label2") << "\n";
  for (const ModuleEntry& entry : ModuleCatalogue::rows()) {
    std::cout << "DEMO " << moment << " " << entry.captionText
              << ": installed=" << form.caption(std::string(entry.localLabel))
              << " server=" << form.caption(std::string(entry.serverLabel)) << "\n";
  }
  std::cout << "DEMO " << moment << " status: " << form.status() << "\n";
  for (const std::string& line : form.memoLines()) {
    std::cout << "DEMO " << moment << " memo: " << line << "\n";
  }
  std::cout.flush();
}

void pressAutomaticUpdate(TForm1& form) {
  reportWindow(form, "before");
  saveScreenshot(form, environment("ZK_SCREENSHOT_BEFORE"));
  std::cout << "DEMO pressing: Otomatik Güncelle" << std::endl;
  form.findChild<QPushButton*>("BitBtn1")->click();
  form.pump();
  reportWindow(form, "after");
  saveScreenshot(form, environment("ZK_SCREENSHOT_AFTER"));
  form.close();
}

// Waits for the end of the server check: it unlocks the buttons and leaves
// its handler.
void startAutomaticUpdateDemo(TForm1& form) {
  auto* poll = new QTimer(&form);
  poll->setInterval(100);
  QObject::connect(poll, &QTimer::timeout, &form, [&form, poll] {
    if (form.versionCheckDone && !form.userClicksIgnored() && form.isEnabled("BitBtn1")) {
      poll->stop();
      poll->deleteLater();
      QTimer::singleShot(0, &form, [&form] { pressAutomaticUpdate(form); });
    }
  });
  poll->start();
}

}  // namespace

void startAutomation(TForm1& form) {
  const bool demo = environment("ZK_DEMO_AUTOMATIC_UPDATE") == "1";
  const std::string screenshot = environment("ZK_SCREENSHOT");
  if (demo) {
    startAutomaticUpdateDemo(form);
    const std::string limit = environment("ZK_DEMO_TIMEOUT_SECONDS");
    const int seconds = limit.empty() ? 120 : std::atoi(limit.c_str());
    QTimer::singleShot(seconds * 1000, &form, [&form] {
      std::cout << "DEMO timed out" << std::endl;
      form.close();
    });
  }
  if (screenshot.empty()) {
    return;
  }
  const bool quit = environment("ZK_QUIT_AFTER_SCREENSHOT") == "1";
  QTimer::singleShot(300, &form, [&form, screenshot, quit] {
    saveScreenshot(form, screenshot);
    if (quit) {
      form.close();
    }
  });
}

}  // namespace zk
