#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/user_interface.h"
#include "settings/profile_reader.h"
#include "transfer/http_client.h"
#include "trust/signed_updates.h"
#include "versions/server_version_check.h"

namespace zk {

class Tdm;

// What the start-up fixes for the rest of the run. The main window holds
// these as its own fields; a command-line run holds them without a window.
struct ProgramFields {
  std::string yearBaseUrl;
  std::string serverRootUrl;
  std::string updateDir;
  std::string reportDir;
  bool versionCheckDone = false;
  std::optional<IniFile> settingsFile;
  // The values of the settings file, fixed for the run.
  std::string serverAddress;
  std::string databasePath;
  // Signed updates, as the build or the settings file switch them on.
  trust::SignedUpdates updateTrust;
};

// What the start-up sequence works with.
struct Startup {
  UserInterface& ui;
  ProgramFields& fields;
  // The configured client: the start-up sets its request headers.
  HttpClient& IdHTTP1;
  // The data module; without one the licence-year lookup is left out.
  Tdm* dm;
  // DownloadFile with IdHTTP1, its progress shown.
  FileDownloader downloadFile;
  // Sets the date and time labels.
  std::function<void()> showClock;
};

// The creation handler's sequence: update buttons locked, client configured,
// working folders, settings and licence year, installed versions,
// connectivity, the archive library and the logo fetched when missing, the
// clock started, the memo cleared. Failures end it by exception; after a
// failed fetch the clock has been started all the same.
void runStartupSequence(const Startup& startup);

// Settings file, status bar, signed updates, licence year and the server URLs.
void local_baglanti_kontrol(const Startup& startup);

}  // namespace zk
