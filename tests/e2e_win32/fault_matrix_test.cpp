// What guncelleme.exe leaves behind on Windows when one module's archive goes
// wrong during an automatic update, for every module archive: the transfer
// cut off half way, and a damaged archive (cut short, or an item whose data
// does not match its checksum).
//
// In every case each installed file is either exactly what it was before or
// exactly the server's new one, the failure shown names the cause, the main
// program is not started, and the program goes on and ends normally when
// its window is closed. The installation holds the archives an earlier run
// left in its staging folder, as a site that has updated before does, and
// only the module under test is behind the server. The update server is the
// test's own loopback server, which can cut a transfer.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

#include "tests/e2e_win32/update_site.h"
#include "tests/support/file_http_server.h"

namespace zk {
namespace {

using test::FileHttpServer;

enum class Fault { TransferCut, ArchiveCut, WrongCrc };

std::string faultName(Fault fault) {
  switch (fault) {
    case Fault::TransferCut:
      return "TransferCut";
    case Fault::ArchiveCut:
      return "ArchiveCut";
    case Fault::WrongCrc:
      return "WrongCrc";
  }
  return "?";
}

// Names the fault in test names and failure messages.
void PrintTo(Fault fault, std::ostream* out) {
  *out << faultName(fault);
}

using Cell = std::tuple<std::string, Fault>;

class WindowsProgramFaultMatrix : public test::UpdateSiteTest,
                                  public ::testing::WithParamInterface<Cell> {
 protected:
  void SetUp() override {
    UpdateSiteTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    std::tie(archive, fault) = GetParam();
    const test::ModuleArchive& module = test::moduleArchive(newArchives, archive);
    // The item the fault is about.
    item = module.items.front().name;

    std::map<std::string, std::string> served;
    std::vector<test::RarItem> items = module.items;
    if (fault == Fault::ArchiveCut) {
      const std::string whole = test::rarArchive(items);
      served[archive] = whole.substr(0, whole.size() / 2);
    } else if (fault == Fault::WrongCrc) {
      items.front().wrongDataCrc = true;
      served[archive] = test::rarArchive(items);
    }
    writeServer(temp.file("server"), served);
    server = std::make_unique<FileHttpServer>(temp.file("server"));
    if (fault == Fault::TransferCut) {
      server->setFault("/" + std::string(test::kYear) + "/" + archive,
                       FileHttpServer::Fault::CutHalfway);
    }

    std::set<std::string> current;
    for (const test::VersionPair& pair : test::kVersions) {
      if (pair.file != module.versionFile) {
        current.insert(pair.file);
      }
    }
    writeInstallation(current);
    writeEarlierStaging();
  }

  void TearDown() override {
    server.reset();
    UpdateSiteTest::TearDown();
  }

  std::string archive;
  Fault fault = Fault::TransferCut;
  std::string item;
  std::unique_ptr<FileHttpServer> server;
};

TEST_P(WindowsProgramFaultMatrix, InstalledFilesAreOldOrNewAndTheFailureNamesTheCause) {
  const auto before = installedFiles();
  const auto fresh = serverNewFiles();

  test::ProgramWindow& program = startProgram(server->url("/"));
  ASSERT_TRUE(pressAutomaticUpdate(program));
  ASSERT_TRUE(waitForUpdateEnd(program));
  const auto status = program.text("Label19");
  for (const char* button : {"BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn7"}) {
    EXPECT_FALSE(program.enabled(button)) << button;
  }
  ASSERT_TRUE(closeNormally(program));
  const auto errors = program.errorLines("ERROR: ");
  const auto after = installedFiles();

  // The invariant: nothing half-written, nothing emptied, nothing lost.
  for (const auto& [path, bytes] : before) {
    const auto now = after.find(path);
    ASSERT_NE(now, after.end()) << path << " is gone";
    const auto next = fresh.find(path);
    EXPECT_TRUE(now->second == bytes || (next != fresh.end() && now->second == next->second))
        << path << " is neither the installed nor the server's file (" << now->second.size()
        << " bytes)";
  }
  for (const auto& [path, bytes] : after) {
    if (before.count(path) == 0) {
      const auto next = fresh.find(path);
      EXPECT_TRUE(next != fresh.end() && bytes == next->second) << path << " appeared";
    }
  }
  // A body that did not arrive whole never replaces the earlier run's archive.
  if (fault == Fault::TransferCut) {
    EXPECT_EQ(test::readFile(install + "/update/" + archive),
              test::rarArchive(test::moduleArchive(oldArchives, archive).items));
    const auto targets = server->requestedTargets();
    EXPECT_NE(
        std::find(targets.begin(), targets.end(), "/" + std::string(test::kYear) + "/" + archive),
        targets.end());
  }

  std::string cause;
  switch (fault) {
    case Fault::TransferCut:
      cause = "Connection Closed Gracefully.";
      break;
    case Fault::ArchiveCut:
      cause = "Cannot open file \"" + test::nativePath(install + "/update/" + archive) + "\". ";
      break;
    case Fault::WrongCrc:
      cause = "Cannot extract \"" + item + "\". CRC Failed";
      break;
  }
  RecordProperty("shown", errors.empty() ? "(nothing)" : errors[0]);
  ASSERT_EQ(errors.size(), 1u) << program.standardError();
  EXPECT_NE(errors[0].find(cause), std::string::npos)
      << "shown: " << errors[0] << "\nexpected to name: " << cause;
  EXPECT_NE(status, test::kUpdateDone);
  EXPECT_TRUE(started.empty()) << "the main program was started";
}

INSTANTIATE_TEST_SUITE_P(
    EveryModuleArchive, WindowsProgramFaultMatrix,
    ::testing::Combine(::testing::Values("zelvak.rar", "mobil.rar", "yazdir.rar", "report.rar",
                                         "dll.rar"),
                       ::testing::Values(Fault::TransferCut, Fault::ArchiveCut, Fault::WrongCrc)),
    [](const ::testing::TestParamInfo<Cell>& info) {
      const std::string archive = std::get<0>(info.param);
      return archive.substr(0, archive.find('.')) + "_" + faultName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace zk
