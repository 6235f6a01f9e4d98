#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "install/working_folders.h"
#include "platform/files.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/file_access.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using test::RecordingUi;
using test::TempFolder;
using test::writeFile;

class WorkingFoldersTest : public ::testing::Test {
 protected:
  WorkingFoldersTest() { fs::create_directory(updateDir); }

  TempFolder dir;
  std::string updateDir = dir.file("update");
  std::string stagingDir = updateDir + "/dll";
  RecordingUi ui;
};

TEST_F(WorkingFoldersTest, MissingStagingFolderIsCreatedWithoutAMessage) {
  clearDllStagingFolder(ui, updateDir);

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(fs::is_directory(stagingDir));
  EXPECT_EQ(ui.pumps, 1);
}

TEST_F(WorkingFoldersTest, NestedFoldersAndHiddenFilesAreRemovedAndTheFolderMadeAgain) {
  fs::create_directories(stagingDir + "/sub/deeper");
  fs::create_directories(stagingDir + "/.hidden-folder");
  fs::create_directories(stagingDir + "/empty");
  writeFile(stagingDir + "/fbclient.dll", "x");
  writeFile(stagingDir + "/.hidden", "x");
  writeFile(stagingDir + "/sub/.hidden", "x");
  writeFile(stagingDir + "/sub/deeper/midas.dll", "x");
  writeFile(stagingDir + "/.hidden-folder/file", "x");
  // Only the staging folder is cleared.
  writeFile(updateDir + "/zelvak.rar", "rar");

  clearDllStagingFolder(ui, updateDir);

  EXPECT_TRUE(ui.messages.empty());
  ASSERT_TRUE(fs::is_directory(stagingDir));
  EXPECT_TRUE(fs::is_empty(stagingDir));
  EXPECT_TRUE(fs::exists(updateDir + "/zelvak.rar"));
  EXPECT_EQ(ui.pumps, 1);
}

// A file two levels down that cannot be deleted: on Linux its folder is
// read-only to an unprivileged user (root may delete anything); on Windows
// another program holds it open without sharing.
std::string messagesOfAClearWithAnUndeletableFile(const std::string& updateDir,
                                                  const std::string& inner,
                                                  const std::string& stagingDir) {
  const auto clear = [&] {
    fs::create_directories(inner);
    writeFile(inner + "/locked.dll", "x");
    writeFile(stagingDir + "/free.dll", "x");
    std::optional<test::FileHeldLocked> held;
    if (test::kOnWindows) {
      held.emplace(inner + "/locked.dll");
    } else {
      fs::permissions(inner, fs::perms(0555));
    }
    RecordingUi childUi;
    clearDllStagingFolder(childUi, updateDir);
    std::string text;
    for (const std::string& message : childUi.messages) {
      text += message + "\n";
    }
    return text;
  };
  return test::kOnWindows ? clear() : test::runInChild(test::kUnprivilegedUser, clear);
}

TEST_F(WorkingFoldersTest, FileThatCannotGoTwoLevelsDownGivesOneMessagePerLevel) {
  fs::permissions(dir.path(), fs::perms(0777));
  fs::permissions(updateDir, fs::perms(0777));
  const std::string inner = stagingDir + "/inner";
  const std::string messages = messagesOfAClearWithAnUndeletableFile(updateDir, inner, stagingDir);

  const std::string notEmpty = test::systemErrorText(test::kOnWindows ? 145 : ENOTEMPTY);
  EXPECT_EQ(messages, "CANT DELETE EMPTY DIRECTORY:" + inner + " " + notEmpty + "\n" +
                          "CANT DELETE EMPTY DIRECTORY:" + stagingDir + " " + notEmpty + "\n");
  EXPECT_TRUE(fs::exists(inner + "/locked.dll"));
  EXPECT_FALSE(fs::exists(stagingDir + "/free.dll"));
}

TEST_F(WorkingFoldersTest, PathThatIsMissingOrAFileIsLeftAlone) {
  const std::string file = dir.file("verdl.txt");
  writeFile(file, "5");

  DeleteDirectory(ui, file);
  DeleteDirectory(ui, dir.file("missing"));

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(test::readFile(file), "5");
}

TEST_F(WorkingFoldersTest, SymbolicLinksInsideAreRemovedNeverFollowed) {
  if (test::kOnWindows) {
    // Wine cannot make symbolic links. On Windows links and junctions are
    // reparse points, which the folder listing never walks into.
    GTEST_SKIP() << "no symbolic links under Wine";
  }
  const std::string outside = dir.file("outside");
  fs::create_directories(outside + "/sub");
  writeFile(outside + "/keep.txt", "keep");
  writeFile(outside + "/sub/keep.txt", "keep");
  fs::create_directories(stagingDir + "/sub");
  fs::create_directory_symlink(outside, stagingDir + "/folder-link");
  fs::create_directory_symlink(outside, stagingDir + "/sub/folder-link");
  fs::create_symlink(outside + "/keep.txt", stagingDir + "/file-link");
  fs::create_symlink(dir.file("nowhere"), stagingDir + "/dangling-link");

  clearDllStagingFolder(ui, updateDir);

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(fs::is_empty(stagingDir));
  EXPECT_EQ(test::readFile(outside + "/keep.txt"), "keep");
  EXPECT_EQ(test::readFile(outside + "/sub/keep.txt"), "keep");
}

TEST_F(WorkingFoldersTest, PathThatIsALinkToAFolderIsLeftAlone) {
  if (test::kOnWindows) {
    // Wine cannot make symbolic links. On Windows links and junctions are
    // reparse points, which the folder listing never walks into.
    GTEST_SKIP() << "no symbolic links under Wine";
  }
  const std::string outside = dir.file("outside");
  fs::create_directories(outside);
  writeFile(outside + "/keep.txt", "keep");
  fs::create_directory_symlink(outside, stagingDir);

  DeleteDirectory(ui, stagingDir);

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(fs::is_symlink(stagingDir));
  EXPECT_EQ(test::readFile(outside + "/keep.txt"), "keep");
}

}  // namespace
}  // namespace zk
