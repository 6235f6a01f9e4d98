#include "app/program_start.h"

#include "app/dialogs.h"
#include "settings/data_module.h"
#include "settings/firebird_client.h"

namespace zk {

std::unique_ptr<Tdm> createDataModule(const std::string& programPath) {
  try {
    return std::make_unique<Tdm>();
  } catch (const DatabaseClientLoadError& failure) {
    showErrorBox("Application Error", failure.applicationErrorText(programPath));
    return nullptr;
  }
}

}  // namespace zk
