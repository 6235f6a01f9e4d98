#include "app/program.h"

#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/default_handling.h"
#include "app/dialogs.h"
#include "app/program_start.h"
#include "app/qt/automation.h"
#include "app/qt/main_window.h"
#include "settings/data_module.h"

namespace zk {
namespace {

// Without a display the window runs on the toolkit's offscreen platform.
void chooseOffscreenWithoutDisplay() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
}

void substituteFonts() {
  QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
  QFont::insertSubstitution("Arial", "Liberation Sans");
}

}  // namespace

int runProgram(int argc, char** argv) {
  chooseOffscreenWithoutDisplay();
  QApplication application(argc, argv);
  setApplicationTitle(applicationTitle(argc > 0 ? argv[0] : "guncelleme"));
  QApplication::setApplicationName(QString::fromStdString(applicationTitle()));
  QApplication::setQuitOnLastWindowClosed(false);
  substituteFonts();

  const std::unique_ptr<Tdm> dm = createDataModule(argc > 0 ? argv[0] : "");
  if (!dm) {
    return 1;
  }

  TForm1 form(dm.get());
  if (std::optional<int> exitCode = runWithDefaultHandling([&form] { form.FormCreate(); })) {
    return *exitCode;
  }
  form.showCentred();
  startAutomation(form);
  QApplication::exec();
  return 0;
}

}  // namespace zk
