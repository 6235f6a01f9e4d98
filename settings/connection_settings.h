#pragma once

#include <string>
#include <string_view>

#include "core/user_interface.h"
#include "settings/profile_reader.h"

namespace zk {

inline constexpr std::string_view kSettingsFileName = "zkayarlar.ini";
inline constexpr std::string_view kConnectionSection = "BAGLANTI";
inline constexpr std::string_view kDatabasePathKey = "DB_ADRES";
inline constexpr std::string_view kServerAddressKey = "SUNUCU_IP";
// The system's own version, shown in status bar panel 0.
inline constexpr std::string_view kVersionPanelText = "ver: 2027.01";
inline constexpr std::string_view kCheckingSettingsStatus = "Bağlantı Dosya kontrolü yapılıyor";
inline constexpr std::string_view kSettingsMissingMessage =
    "Ayar Dosyası okunamadı.. Program sonlandırılacak";

// What the settings file gave. The main window keeps it for the life of the
// run; the two texts are UTF-8 (utf8ToCp1254 gives back the file's bytes).
struct ConnectionSettings {
  IniFile settingsFile;
  std::string databasePath;
  std::string serverAddress;
};

// The first half of local_baglanti_kontrol: checks the settings file in the
// working directory, reads the two connection values and shows them in the
// status bar. It ends after the last pump; the licence-year lookup follows
// directly in the caller.
//
// A missing settings file (a folder of that name counts as missing) shows the
// message box and then throws ProgramEnd(0): the program ends before its
// window is ever shown.
ConnectionSettings readConnectionSettings(UserInterface& ui);

}  // namespace zk
