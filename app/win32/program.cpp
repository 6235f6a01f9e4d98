#include "app/program.h"

#include "app/win32/main_window.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <memory>
#include <optional>
#include <string>

#include "app/default_handling.h"
#include "app/dialogs.h"
#include "app/program_start.h"
#include "app/win32/automation.h"
#include "app/win32/main_window.h"
#include "settings/data_module.h"

namespace zk {

int runProgram(int argc, char** argv) {
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "guncelleme";
  setApplicationTitle(applicationTitle(program));
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  const std::unique_ptr<Tdm> dm = createDataModule(program);
  if (!dm) {
    return 1;
  }

  TForm1 form(dm.get());
  if (std::optional<int> exitCode = runWithDefaultHandling([&form] { form.FormCreate(); })) {
    return *exitCode;
  }
  form.showCentred();
  startAutomation(form);
  return form.runMessageLoop();
}

}  // namespace zk
