#pragma once

// A site of the product on Windows for runs of the real guncelleme.exe: an
// installation, an update server's files, and the program started in the
// installation and driven through its window from outside.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e_win32/program_window.h"
#include "tests/support/module_archives.h"
#include "tests/support/rar_writer.h"
#include "tests/support/temp_folder.h"

namespace zk::test {

inline constexpr const char* kYear = "2027";
inline constexpr const char* kCheckDone = "Sunucu Versiyon kontrolleri Yapıldı.";
inline constexpr const char* kUpdateDone = "Otomatik Güncelleme Tamamlandı..";

// The five archives at a version ("new": the server's, "old": what the
// installation holds). The programs are the stand-in program with a trailer,
// so installed programs run; the bundle's "gds32.dll" is the test database
// client, so the library the program loads stays a working one.
std::vector<ModuleArchive> moduleArchives(const std::string& version);

class UpdateSiteTest : public ::testing::Test {
 protected:
  // Skips when this session cannot show windows.
  void SetUp() override;
  void TearDown() override;

  // The server's files below `root`: the Windows archive library and the logo
  // at the root; the version texts, the announcement and the new archives
  // (each possibly replaced by `archiveBytes`) in the year folder.
  void writeServer(const std::string& root,
                   const std::map<std::string, std::string>& archiveBytes = {});
  // An installation at the old versions, apart from the version files named
  // in `current`, which already hold the server's; on the database server
  // machine ("localhost"), with the test database client as gds32.dll.
  void writeInstallation(const std::set<std::string>& current = {});
  // The archives an earlier run left in the staging folder.
  void writeEarlierStaging();

  // Starts guncelleme.exe in the installation against the update server
  // root URL, message boxes written to standard error instead of shown. The
  // program, and the main program it started, end with the test at the latest.
  ProgramWindow& startProgram(const std::string& rootUrl,
                              const std::vector<std::string>& arguments = {});
  // Waits for the window and for the end of the server check that the first
  // clock tick starts.
  ::testing::AssertionResult waitForServerCheck(ProgramWindow& program);
  // Presses "Otomatik Güncelle" once the server check has finished, as a
  // user does; fails when the update did not begin.
  ::testing::AssertionResult pressAutomaticUpdate(ProgramWindow& program);
  // Waits until the update has ended: completed, or its failure shown.
  ::testing::AssertionResult waitForUpdateEnd(ProgramWindow& program);
  // Closes the window and waits for the program to end.
  ::testing::AssertionResult closeNormally(ProgramWindow& program);

  // Every regular file of the installation outside the staging folder and
  // the files the start-up fetches, with its bytes ("/" between folders).
  std::map<std::string, std::string> installedFiles() const;
  // For every installed path: the server's new bytes (items an update
  // installs, and the reports' version text).
  std::map<std::string, std::string> serverNewFiles() const;
  std::string file(const std::string& name) const { return readFile(install + "/" + name); }

  TempFolder temp;
  std::string install = temp.path() + "/install";
  std::string startMark = temp.path() + "/started.mark";
  std::vector<ModuleArchive> oldArchives = moduleArchives("old");
  std::vector<ModuleArchive> newArchives = moduleArchives("new");
  // The main programs ("zelvak.exe") the run started, once it has ended.
  std::vector<int> started;

 private:
  std::unique_ptr<ProgramWindow> program_;
};

}  // namespace zk::test
