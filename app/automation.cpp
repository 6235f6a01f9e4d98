#include "app/automation.h"

#include <QPixmap>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/main_window.h"

namespace zk {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

void startAutomation(TForm1& form) {
  const std::string screenshot = environment("ZK_SCREENSHOT");
  if (screenshot.empty()) {
    return;
  }
  const bool quit = environment("ZK_QUIT_AFTER_SCREENSHOT") == "1";
  QTimer::singleShot(300, &form, [&form, screenshot, quit] {
    if (!form.grab().save(QString::fromStdString(screenshot))) {
      std::cerr << "cannot save " << screenshot << std::endl;
    }
    if (quit) {
      form.close();
    }
  });
}

}  // namespace zk
