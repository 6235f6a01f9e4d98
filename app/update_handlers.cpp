// The update buttons of the main window: each handler runs its update action
// with the window's client, archive object and folders.

#include "app/main_window.h"
#include "install/update_actions.h"
#include "install/update_operations_window.h"

namespace zk {

void TForm1::runUpdateAction(void (*action)(const UpdateContext&)) {
  BusyScope busy(*this);
  WindowUpdateOperations operations(*this, IdHTTP1, archive, &updateTrust);
  action({*this, operations, yearBaseUrl, updateDir, reportDir, serverAddress});
}

void TForm1::BitBtn1Click() {
  runUpdateAction(&zk::BitBtn1Click);
}
void TForm1::BitBtn2Click() {
  runUpdateAction(&zk::BitBtn2Click);
}
void TForm1::BitBtn3Click() {
  runUpdateAction(&zk::BitBtn3Click);
}
void TForm1::BitBtn4Click() {
  runUpdateAction(&zk::BitBtn4Click);
}
void TForm1::BitBtn5Click() {
  runUpdateAction(&zk::BitBtn5Click);
}
void TForm1::BitBtn7Click() {
  runUpdateAction(&zk::BitBtn7Click);
}
void TForm1::BitBtn8Click() {
  runUpdateAction(&zk::BitBtn8Click);
}

}  // namespace zk
