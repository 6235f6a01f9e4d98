#include "tests/support/qt/qt_application.h"

#include <QApplication>
#include <QFont>
#include <cstdlib>

namespace zk::test {

void ensureQtApplication() {
  if (QApplication::instance() != nullptr) {
    return;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "guncelleme";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
  QFont::insertSubstitution("Arial", "Liberation Sans");
  (void)application;
}

}  // namespace zk::test
