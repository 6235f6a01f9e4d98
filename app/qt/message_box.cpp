#include <QMessageBox>

#include "app/dialogs.h"

namespace zk {

void showToolkitBox(BoxKind kind, const std::string& caption, const std::string& text) {
  // Without a parent the toolkit centres the box on the screen, not over the
  // window.
  QMessageBox box(kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace zk
