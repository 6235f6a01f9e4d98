// The start-up sequence, the clock and the server version check of the main
// window.

#include "app/clock_text.h"
#include "app/main_window.h"
#include "core/block_cleanup.h"
#include "platform/archive_library.h"
#include "platform/files.h"
#include "platform/platform_names.h"
#include "settings/connection_settings.h"
#include "settings/data_module.h"
#include "settings/licence_year.h"
#include "transfer/download_file.h"
#include "versions/local_versions.h"
#include "versions/module_catalogue.h"
#include "versions/server_version_check.h"

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

}  // namespace

void TForm1::DownloadFile(const std::string& url, const std::string& targetPath) {
  if (!updateTrust.enabled()) {
    zk::DownloadFile(IdHTTP1, *this, url, targetPath);
    return;
  }
  updateTrust.requireFolder(*this, url);
  zk::DownloadFile(IdHTTP1, *this, url, targetPath,
                   [&](std::string_view body) { updateTrust.require(*this, url, body); });
}

void TForm1::local_baglanti_kontrol() {
  ConnectionSettings settings = readConnectionSettings(*this);
  settingsFile = settings.settingsFile;
  databasePath = settings.databasePath;
  serverAddress = settings.serverAddress;
  updateTrust = configuredSignedUpdates(settings.settingsFile);
  if (dm_ != nullptr) {
    lookupLicenceYear(*this, *dm_, serverAddress, databasePath, yearBaseUrl, serverRootUrl);
  }
}

void TForm1::showClock() {
  setCaption("Label20", currentDateText());
  setCaption("Label10", currentTimeText());
}

// The archive library is fetched only when no copy of it can be found; the
// logo when the working directory has none. With signed updates on, a library
// in the working directory stays only when the root folder's list names its
// bytes; otherwise it goes and is fetched (and checked) again.
void TForm1::fetchStartupFiles() {
  const std::string localLibrary = platform::localPath(platform::kArchiveLibraryFile);
  if (updateTrust.enabled() && platform::fileExists(localLibrary) &&
      updateTrust.checkFile(serverRootUrl + "/" + platform::kArchiveLibraryFile, localLibrary)) {
    platform::deleteFile(localLibrary);
  }
  if (platform::findArchiveLibrary().empty()) {
    const std::string library = platform::kArchiveLibraryFile;
    DownloadFile(serverRootUrl + "/" + library, platform::localPath(library));
  }
  const std::string logo(catalogue::kLogoFile);
  if (!platform::fileExists(platform::localPath(logo))) {
    DownloadFile(serverRootUrl + "/" + logo, platform::localPath(logo));
  }
}

void TForm1::FormCreate() {
  for (const char* button : kLockedAtStart) {
    setEnabled(button, false);
  }
  applyConfiguredClientSettings(IdHTTP1);
  updateDir = platform::localPath(std::string(catalogue::kUpdateFolder));
  reportDir = platform::localPath(std::string(catalogue::kReportFolder));
  createFolderWhenMissing(updateDir);
  createFolderWhenMissing(reportDir);
  {
    HourglassCursor cursor(*this);
    local_baglanti_kontrol();
  }
  for (const ModuleEntry& entry : ModuleCatalogue::rows()) {
    setCaption(std::string(entry.localLabel), "0");
  }
  for (const ModuleEntry& entry : ModuleCatalogue::rows()) {
    setCaption(std::string(entry.serverLabel), "0");
  }
  showClock();
  {
    HourglassCursor cursor(*this);
    local_version_kontrol(*this, serverAddress);
  }
  requireInternetConnection(*this);
  showClock();
  pump();
  block([this] { fetchStartupFiles(); }).cleanup([this] { setTimerEnabled(true); });
  memoClear();
  versionCheckDone = false;
}

void TForm1::Timer1Timer() {
  showClock();
  pump();
  if (!versionCheckDone) {
    versionCheckDone = true;
    BusyScope busy(*this);
    click("Button1");
  }
}

void TForm1::Button1Click() {
  zk::Button1Click(
      *this, yearBaseUrl,
      [this](const std::string& url, const std::string& path) { DownloadFile(url, path); },
      &updateTrust);
}

}  // namespace zk
