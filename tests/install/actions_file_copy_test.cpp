#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_replacement.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using platform::copyFileOverwrite;
using test::readFile;
using test::TempFolder;
using test::writeFile;

namespace fs = std::filesystem;

// The permission bits; on Windows only the read-only attribute shows in them.
unsigned modeOf(const std::string& path) {
  return static_cast<unsigned>(fs::status(path).permissions() & fs::perms::mask);
}

// Sets the bits and returns what the system made of them (all of them on
// Linux; on Windows, which keeps no mode bits, whatever it reads back).
unsigned setMode(const std::string& path, unsigned mode) {
  fs::permissions(path, fs::perms(mode));
  const unsigned set = modeOf(path);
  if (!test::kOnWindows) {
    EXPECT_EQ(set, mode) << path;
  }
  return set;
}

std::size_t entriesIn(const std::string& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
    ++count;
  }
  return count;
}

TEST(FileCopy, NewTargetTakesTheSourcesBytesAndPermissions) {
  TempFolder folder;
  const std::string bytes("MZ\0\x90 binary \r\n\xff", 16);
  writeFile(folder.file("zelvak.exe.new"), bytes);
  const unsigned mode = setMode(folder.file("zelvak.exe.new"), 0751);

  ASSERT_TRUE(copyFileOverwrite(folder.file("zelvak.exe.new"), folder.file("zelvak.exe")));
  EXPECT_EQ(readFile(folder.file("zelvak.exe")), bytes);
  if (!test::kOnWindows) {
    // Windows keeps no permission bits: its C library makes them up from the
    // read-only attribute and the name's extension.
    EXPECT_EQ(modeOf(folder.file("zelvak.exe")), mode);
  }
  EXPECT_EQ(entriesIn(folder.path()), 2u);  // no temporary file left behind
}

TEST(FileCopy, ReplacedTargetKeepsItsOwnPermissions) {
  TempFolder folder;
  writeFile(folder.file("source"), std::string(200000, 'n'));
  setMode(folder.file("source"), 0755);
  writeFile(folder.file("target"), "old and longer than nothing");
  const unsigned mode = setMode(folder.file("target"), 0640);

  ASSERT_TRUE(copyFileOverwrite(folder.file("source"), folder.file("target")));
  EXPECT_EQ(readFile(folder.file("target")), std::string(200000, 'n'));
  EXPECT_EQ(modeOf(folder.file("target")), mode);
}

TEST(FileCopy, AProgramHeldOpenIsReplacedWhileTheHolderKeepsTheOldBytes) {
  TempFolder folder;
  writeFile(folder.file("fbclient.dll"), "old library");
  writeFile(folder.file("new"), "new library");
  std::ifstream held(folder.file("fbclient.dll"), std::ios::binary);
  ASSERT_TRUE(held);

  if (test::kOnWindows) {
    // Windows does not let a file that another program holds open be moved
    // over: the copy fails and the target stays as it was.
    EXPECT_FALSE(copyFileOverwrite(folder.file("new"), folder.file("fbclient.dll")));
    held.close();
    EXPECT_EQ(readFile(folder.file("fbclient.dll")), "old library");
    EXPECT_EQ(entriesIn(folder.path()), 2u);
    return;
  }
  EXPECT_TRUE(copyFileOverwrite(folder.file("new"), folder.file("fbclient.dll")));
  EXPECT_EQ(readFile(folder.file("fbclient.dll")), "new library");
  char buffer[32] = {};
  held.read(buffer, sizeof buffer);
  EXPECT_EQ(held.gcount(), 11);
  EXPECT_EQ(std::string(buffer), "old library");
}

TEST(FileCopy, FailuresReportFalseAndLeaveTheTargetAsItWas) {
  TempFolder folder;
  writeFile(folder.file("target"), "kept");
  EXPECT_FALSE(copyFileOverwrite(folder.file("missing"), folder.file("target")));
  EXPECT_EQ(readFile(folder.file("target")), "kept");

  writeFile(folder.file("source"), "bytes");
  EXPECT_FALSE(copyFileOverwrite(folder.file("source"), folder.file("no folder/target")));
  EXPECT_FALSE(copyFileOverwrite(folder.path(), folder.file("target")));  // a folder as source

  std::filesystem::create_directory(folder.file("dir"));
  EXPECT_FALSE(copyFileOverwrite(folder.file("source"), folder.file("dir")));
  EXPECT_TRUE(std::filesystem::is_directory(folder.file("dir")));
  EXPECT_EQ(entriesIn(folder.path()), 3u);
}

TEST(FileCopy, CopyOntoItselfKeepsTheContent) {
  TempFolder folder;
  writeFile(folder.file("verdl.txt"), "27");
  EXPECT_TRUE(copyFileOverwrite(folder.file("verdl.txt"), folder.file("verdl.txt")));
  EXPECT_EQ(readFile(folder.file("verdl.txt")), "27");
}

}  // namespace
}  // namespace zk
