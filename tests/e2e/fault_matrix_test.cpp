// What an automatic update leaves behind when one module's archive goes
// wrong, for every module archive and every way it can go wrong: the
// transfer cut off half way, a server error, a damaged archive (cut short, or
// an item whose data does not match its checksum), an item the archive
// library cannot decode, and an installed target that cannot be written.
//
// In every case each installed file is either exactly what it was before or
// exactly the server's new one, and the error shown names the cause. The
// installation holds the archives an earlier run left in its staging folder,
// as a site that has updated before does, and only the module under test is
// behind the server.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "tests/e2e/installation_fixture.h"
#include "tests/support/file_http_server.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::FileHttpServer;

enum class Fault { TransferCut, ServerError, ArchiveCut, WrongCrc, CompressedItem, TargetIsFolder };

std::string faultName(Fault fault) {
  switch (fault) {
    case Fault::TransferCut:
      return "TransferCut";
    case Fault::ServerError:
      return "ServerError";
    case Fault::ArchiveCut:
      return "ArchiveCut";
    case Fault::WrongCrc:
      return "WrongCrc";
    case Fault::CompressedItem:
      return "CompressedItem";
    case Fault::TargetIsFolder:
      return "TargetIsFolder";
  }
  return "?";
}

using Cell = std::tuple<std::string, Fault>;

class FaultMatrix : public test::InstallationTest, public ::testing::WithParamInterface<Cell> {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    std::tie(archive, fault) = GetParam();
    const test::ModuleArchive& module = test::moduleArchive(newArchives, archive);
    // The item the fault is about, and where an update installs it.
    item = module.items.front().name;
    target = module.installs.at(item);

    std::map<std::string, std::string> served;
    std::vector<test::RarItem> items = module.items;
    if (fault == Fault::ArchiveCut) {
      const std::string whole = test::rarArchive(items);
      served[archive] = whole.substr(0, whole.size() / 2);
    } else if (fault == Fault::WrongCrc) {
      items.front().wrongDataCrc = true;
      served[archive] = test::rarArchive(items);
    } else if (fault == Fault::CompressedItem) {
      items.front().method = 3;
      served[archive] = test::rarArchive(items);
    }
    writeServer(temp.file("server"), {}, served);
    server = std::make_unique<FileHttpServer>(temp.file("server"));
    const std::string path = "/" + std::string(test::kYear) + "/" + archive;
    if (fault == Fault::TransferCut) {
      server->setFault(path, FileHttpServer::Fault::CutHalfway);
    } else if (fault == Fault::ServerError) {
      server->setFault(path, FileHttpServer::Fault::ServerError);
    }

    std::set<std::string> current;
    for (const test::VersionPair& pair : test::kVersions) {
      if (pair.file != module.versionFile) {
        current.insert(pair.file);
      }
    }
    writeInstallation(databaseMachine(), current);
    fs::create_directories(install + "/update");
    for (const test::ModuleArchive& earlier : oldArchives) {
      test::writeFile(install + "/update/" + earlier.archive, test::rarArchive(earlier.items));
    }
    if (fault == Fault::TargetIsFolder) {
      fs::remove(install + "/" + target);
      fs::create_directories(install + "/" + target);
      test::writeFile(install + "/" + target + "/kept", "kept");
    }
  }

  void TearDown() override {
    server.reset();
    InstallationTest::TearDown();
  }

  std::string archive;
  Fault fault = Fault::TransferCut;
  std::string item;
  std::string target;
  std::unique_ptr<FileHttpServer> server;
};

TEST_P(FaultMatrix, InstalledFilesAreOldOrNewAndTheErrorNamesTheCause) {
  const auto before = installedFiles();
  const auto fresh = serverNewFiles();

  const test::ProgramResult run = runUpdate(server->url("/"));
  const auto errors = test::linesStartingWith(run.standardError, "ERROR: ");
  const auto after = installedFiles();
  const bool mainProgramStarted = startedMainProgram(300ms).has_value();

  EXPECT_EQ(run.exitCode, 0) << run.standardError;
  EXPECT_TRUE(test::linesStartingWith(run.standardOutput, "DEMO timed out").empty());
  EXPECT_TRUE(test::linesStartingWith(run.standardOutput, "DEMO pressing").size() == 1)
      << run.standardOutput << run.standardError;

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
  if (fault == Fault::TransferCut || fault == Fault::ServerError) {
    EXPECT_EQ(test::readFile(install + "/update/" + archive),
              test::rarArchive(test::moduleArchive(oldArchives, archive).items));
    const auto targets = server->requestedTargets();
    EXPECT_NE(
        std::find(targets.begin(), targets.end(), "/" + std::string(test::kYear) + "/" + archive),
        targets.end());
  }

  RecordProperty("shown", errors.empty() ? "(nothing)" : errors[0]);
  std::string cause;
  switch (fault) {
    case Fault::TransferCut:
      cause = "Connection Closed Gracefully.";
      break;
    case Fault::ServerError:
      cause = "HTTP/1.1 500 Internal Server Error";
      break;
    case Fault::ArchiveCut:
      cause = "Cannot open file \"" + install + "/update/" + archive + "\". ";
      break;
    case Fault::WrongCrc:
      cause = "Cannot extract \"" + item + "\". CRC Failed";
      break;
    case Fault::CompressedItem:
      cause = "Cannot extract \"" + item + "\". ";
      break;
    case Fault::TargetIsFolder:
      EXPECT_TRUE(fs::is_directory(install + "/" + target));
      EXPECT_EQ(test::readFile(install + "/" + target + "/kept"), "kept");
      // Extraction reports a target it cannot create; the copies of the
      // programs and the bundle pass a failure over without a word.
      if (archive == "report.rar") {
        cause = install + "/" + target;
      }
      break;
  }
  if (cause.empty()) {
    EXPECT_TRUE(errors.empty()) << run.standardError;
    EXPECT_EQ(mainProgramStarted, target != "zelvak.exe");
    // The rest of the module did arrive.
    for (const auto& [name, path] : test::moduleArchive(newArchives, archive).installs) {
      if (path != target) {
        EXPECT_EQ(after.at(path), fresh.at(path)) << path;
      }
    }
  } else {
    ASSERT_EQ(errors.size(), 1u) << run.standardError;
    EXPECT_NE(errors[0].find(cause), std::string::npos)
        << "shown: " << errors[0] << "\nexpected to name: " << cause;
    EXPECT_FALSE(mainProgramStarted);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryModuleArchive, FaultMatrix,
    ::testing::Combine(
        ::testing::Values("zelvak.rar", "mobil.rar", "yazdir.rar", "report.rar", "dll.rar"),
        ::testing::Values(Fault::TransferCut, Fault::ServerError, Fault::ArchiveCut,
                          Fault::WrongCrc, Fault::CompressedItem, Fault::TargetIsFolder)),
    [](const ::testing::TestParamInfo<Cell>& info) {
      const std::string archive = std::get<0>(info.param);
      return archive.substr(0, archive.find('.')) + "_" + faultName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace zk
