#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/helpers/stand_in.h"
#include "tests/support/module_archives.h"
#include "tests/support/program_run.h"
#include "tests/support/rar_writer.h"
#include "tests/support/temp_folder.h"

namespace zk::test {

inline constexpr const char* kYear = "2027";

// The five archives at a version ("new": the server's, "old": an earlier
// one), built from the stand-in program so that installed programs run.
std::vector<ModuleArchive> moduleArchives(const std::string& version);

// What guncelleme printed, read as lines.
std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix);

// A product installation, a company database on the test Firebird server with
// the licence year, an update server folder, and runs of the real guncelleme
// that press "Otomatik Güncelle" themselves. Skips when the test services
// are not there.
class InstallationTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A folder of its own below the nginx document root (removed with the
  // test) and its URL; false when the test nginx is not there.
  bool useNginx();
  // The requests nginx logged for that folder ("GET /folder/... STATUS").
  std::vector<std::string> nginxRequests() const;

  // The server's files below `root`: the archive library and the logo at the
  // root, the version texts, the announcement and the archives (each new one
  // possibly replaced by `archiveBytes`) in the year folder. Names in `omit`
  // are left out.
  void writeServer(const std::string& root, const std::set<std::string>& omit = {},
                   const std::map<std::string, std::string>& archiveBytes = {});
  // An installation at the old versions, apart from the version files named in
  // `current`, which already hold the server's. serverAddress as the settings
  // file names it.
  void writeInstallation(const std::string& serverAddress,
                         const std::set<std::string>& current = {});
  // The address that reaches the test server as the database server machine
  // itself ("localhost") and as a workstation (a second name for it).
  std::string databaseMachine() const { return "localhost"; }
  std::string workstation() const;

  // Runs guncelleme in the installation against the update server root URL.
  ProgramResult runUpdate(const std::string& rootUrl,
                          const std::map<std::string, std::string>& extra = {});
  // Runs guncelleme with command-line arguments in the installation against
  // the update server root URL; no window is pressed by anyone.
  ProgramResult runCommandLine(const std::string& rootUrl,
                               const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& extra = {});
  // The main program the run started, if it did (ended with the test).
  std::optional<StandInMark> startedMainProgram(std::chrono::milliseconds timeout);

  // Every regular file of the installation outside the staging folder and
  // the files the start-up fetches, with its bytes.
  std::map<std::string, std::string> installedFiles() const;
  // For every installed path: the server's new bytes (items that an update
  // installs, and the reports' version text).
  std::map<std::string, std::string> serverNewFiles() const;

  std::string file(const std::string& name) const { return readFile(install + "/" + name); }

  TempFolder temp;
  std::string install = temp.path() + "/install";
  std::string database = temp.path() + "/zelvak.fdb";
  std::string startMark = temp.path() + "/started.mark";
  std::string firebirdRoot;
  std::string serverRoot;
  std::string serverUrl;
  std::vector<ModuleArchive> oldArchives = moduleArchives("old");
  std::vector<ModuleArchive> newArchives = moduleArchives("new");
  std::unique_ptr<AdoptedProcess> started;
};

}  // namespace zk::test
