#include "app/common/startup_sequence.h"

#include "core/block_cleanup.h"
#include "platform/archive_library.h"
#include "platform/files.h"
#include "platform/platform_names.h"
#include "settings/connection_settings.h"
#include "settings/data_module.h"
#include "settings/licence_year.h"
#include "versions/local_versions.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

constexpr const char* kLockedAtStart[] = {"BitBtn1", "BitBtn2", "BitBtn3",
                                          "BitBtn4", "BitBtn5", "BitBtn7"};

void createFolderWhenMissing(const std::string& path) {
  if (!platform::folderExists(path)) {
    platform::createFolder(path);
  }
}

// The key comes from the build or the settings file; the state file of the
// accepted signing times lies beside the settings file.
trust::SignedUpdates configuredSignedUpdates(const IniFile& settingsFile) {
  const std::string key = trust::choosePublicKey(settingsFile.readString(
      std::string(trust::kSettingsSection), std::string(trust::kSettingsKey), ""));
  const std::string& settingsPath = settingsFile.fileName();
  const std::size_t slash = settingsPath.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : settingsPath.substr(0, slash + 1);
  return trust::SignedUpdates(key, folder + std::string(trust::kStateFile),
                              [](const std::string& url) {
                                HttpClient client;
                                return client.GetText(url);
                              });
}

// The archive library is fetched only when no copy of it can be found; the
// logo when the working directory has none. With signed updates on, a library
// in the working directory stays only when the root folder's list names its
// bytes; otherwise it goes and is fetched (and checked) again.
void fetchStartupFiles(const Startup& startup) {
  const std::string& root = startup.fields.serverRootUrl;
  trust::SignedUpdates& trust = startup.fields.updateTrust;
  const std::string localLibrary = platform::localPath(platform::kArchiveLibraryFile);
  if (trust.enabled() && platform::fileExists(localLibrary) &&
      trust.checkFile(root + "/" + platform::kArchiveLibraryFile, localLibrary)) {
    platform::deleteFile(localLibrary);
  }
  if (platform::findArchiveLibrary().empty()) {
    const std::string library = platform::kArchiveLibraryFile;
    startup.downloadFile(root + "/" + library, platform::localPath(library));
  }
  const std::string logo(catalogue::kLogoFile);
  if (!platform::fileExists(platform::localPath(logo))) {
    startup.downloadFile(root + "/" + logo, platform::localPath(logo));
  }
}

}  // namespace

void local_baglanti_kontrol(const Startup& startup) {
  ProgramFields& fields = startup.fields;
  ConnectionSettings settings = readConnectionSettings(startup.ui);
  fields.settingsFile = settings.settingsFile;
  fields.databasePath = settings.databasePath;
  fields.serverAddress = settings.serverAddress;
  fields.updateTrust = configuredSignedUpdates(settings.settingsFile);
  if (startup.dm != nullptr) {
    lookupLicenceYear(startup.ui, *startup.dm, fields.serverAddress, fields.databasePath,
                      fields.yearBaseUrl, fields.serverRootUrl);
  }
}

void runStartupSequence(const Startup& startup) {
  UserInterface& ui = startup.ui;
  ProgramFields& fields = startup.fields;
  for (const char* button : kLockedAtStart) {
    ui.setEnabled(button, false);
  }
  applyConfiguredClientSettings(startup.IdHTTP1);
  fields.updateDir = platform::localPath(std::string(catalogue::kUpdateFolder));
  fields.reportDir = platform::localPath(std::string(catalogue::kReportFolder));
  createFolderWhenMissing(fields.updateDir);
  createFolderWhenMissing(fields.reportDir);
  {
    HourglassCursor cursor(ui);
    local_baglanti_kontrol(startup);
  }
  for (const ModuleEntry& entry : ModuleCatalogue::rows()) {
    ui.setCaption(std::string(entry.localLabel), "0");
  }
  for (const ModuleEntry& entry : ModuleCatalogue::rows()) {
    ui.setCaption(std::string(entry.serverLabel), "0");
  }
  startup.showClock();
  {
    HourglassCursor cursor(ui);
    local_version_kontrol(ui, fields.serverAddress);
  }
  requireInternetConnection(ui);
  startup.showClock();
  ui.pump();
  block([&] { fetchStartupFiles(startup); }).cleanup([&] { ui.setTimerEnabled(true); });
  ui.memoClear();
  fields.versionCheckDone = false;
}

}  // namespace zk
