#pragma once

#include "install/update_operations.h"
#include "versions/module_catalogue.h"

namespace zk {

// The update actions behind the window's buttons. Each runs on the calling
// thread and ends by exception on failure (an AbortError for the silent
// abort); the caller hands that to the default failure handling. Nested
// actions are run through UserInterface::click, as a click would run them.

// "5-  DLL": replaces the shared libraries from the server's bundle.
void BitBtn7Click(const UpdateContext& context);
// "2- Mobil": the mobile server and its backup program, on the database
// server machine only (silent abort elsewhere).
void BitBtn3Click(const UpdateContext& context);
// "1- ZelvaK": the main program, after the mobile server action.
void BitBtn2Click(const UpdateContext& context);
// "3- Yazdırma": the printing module.
void BitBtn4Click(const UpdateContext& context);
// "4- Raporlar": the report files and their version file.
void BitBtn5Click(const UpdateContext& context);
// "Yazdır Sil": removes the printing module.
void BitBtn8Click(const UpdateContext& context);
// "Otomatik Güncelle": every module that is behind the server, in one pass,
// then the main program is started.
void BitBtn1Click(const UpdateContext& context);

// How "Otomatik Güncelle" treats a row, decided from the version labels as
// it decides: left out (the printing module or the mobile server shown as
// absent, or the mobile server away from the database server machine), up
// to date, or behind. A label that is no number fails as the update's own
// conversion does.
enum class RowVerdict { LeftOut, Current, Behind };
RowVerdict automaticUpdateVerdict(const UserInterface& ui, const ModuleEntry& row,
                                  const std::string& serverAddress);

}  // namespace zk
