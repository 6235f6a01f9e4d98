#include "settings/connection_settings.h"

#include "core/error.h"
#include "platform/files.h"

namespace zk {

ConnectionSettings readConnectionSettings(UserInterface& ui) {
  ui.setStatus(std::string(kCheckingSettingsStatus));
  ui.pump();

  ConnectionSettings settings{IniFile(platform::localPath(std::string(kSettingsFileName))), {}, {}};
  if (!platform::fileExists(settings.settingsFile.fileName())) {
    ui.messageBox(std::string(kSettingsMissingMessage));
    throw ProgramEnd(0);
  }

  const std::string section(kConnectionSection);
  settings.databasePath =
      settings.settingsFile.readString(section, std::string(kDatabasePathKey), "");
  settings.serverAddress =
      settings.settingsFile.readString(section, std::string(kServerAddressKey), "");

  ui.setStatusPanel(0, std::string(kVersionPanelText));
  ui.setStatusPanel(1, settings.serverAddress);
  ui.setStatusPanel(2, settings.databasePath);
  ui.pump();
  return settings;
}

}  // namespace zk
