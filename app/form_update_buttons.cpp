// The update buttons of the main window: each handler runs its update action
// with the window's client, archive object and folders.

#include "app/main_form.h"
#include "install/update_actions.h"
#include "install/update_operations_window.h"

namespace zk {

void MainForm::runUpdateAction(void (*action)(const UpdateContext&)) {
  BusyScope busy(*this);
  WindowUpdateOperations operations(*this, IdHTTP1, archive, &updateTrust);
  action({*this, operations, yearBaseUrl, updateDir, reportDir, serverAddress});
}

void MainForm::BitBtn1Click() {
  runUpdateAction(&zk::BitBtn1Click);
}
void MainForm::BitBtn2Click() {
  runUpdateAction(&zk::BitBtn2Click);
}
void MainForm::BitBtn3Click() {
  runUpdateAction(&zk::BitBtn3Click);
}
void MainForm::BitBtn4Click() {
  runUpdateAction(&zk::BitBtn4Click);
}
void MainForm::BitBtn5Click() {
  runUpdateAction(&zk::BitBtn5Click);
}
void MainForm::BitBtn7Click() {
  runUpdateAction(&zk::BitBtn7Click);
}
void MainForm::BitBtn8Click() {
  runUpdateAction(&zk::BitBtn8Click);
}

}  // namespace zk
