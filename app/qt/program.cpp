#include "app/program.h"

#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/default_handling.h"
#include "app/dialogs.h"
#include "app/qt/automation.h"
#include "app/qt/main_window.h"
#include "settings/data_module.h"
#include "settings/firebird_client.h"

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

  // The data module comes before any window: without the database client
  // library the program cannot run at all.
  std::unique_ptr<Tdm> dm;
  try {
    dm = std::make_unique<Tdm>();
  } catch (const DatabaseClientLoadError& failure) {
    showErrorBox("Application Error", failure.applicationErrorText(argc > 0 ? argv[0] : ""));
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
