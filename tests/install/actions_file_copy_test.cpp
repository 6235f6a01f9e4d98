#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_replacement.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using platform::copyFileOverwrite;
using test::readFile;
using test::TempFolder;
using test::writeFile;

mode_t modeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
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
  chmod(folder.file("zelvak.exe.new").c_str(), 0751);

  ASSERT_TRUE(copyFileOverwrite(folder.file("zelvak.exe.new"), folder.file("zelvak.exe")));
  EXPECT_EQ(readFile(folder.file("zelvak.exe")), bytes);
  EXPECT_EQ(modeOf(folder.file("zelvak.exe")), 0751u);
  EXPECT_EQ(entriesIn(folder.path()), 2u);  // no temporary file left behind
}

TEST(FileCopy, ReplacedTargetKeepsItsOwnPermissions) {
  TempFolder folder;
  writeFile(folder.file("source"), std::string(200000, 'n'));
  chmod(folder.file("source").c_str(), 0755);
  writeFile(folder.file("target"), "old and longer than nothing");
  chmod(folder.file("target").c_str(), 0640);

  ASSERT_TRUE(copyFileOverwrite(folder.file("source"), folder.file("target")));
  EXPECT_EQ(readFile(folder.file("target")), std::string(200000, 'n'));
  EXPECT_EQ(modeOf(folder.file("target")), 0640u);
}

TEST(FileCopy, AProgramHeldOpenIsReplacedWhileTheHolderKeepsTheOldBytes) {
  TempFolder folder;
  writeFile(folder.file("fbclient.dll"), "old library");
  writeFile(folder.file("new"), "new library");
  const int held = open(folder.file("fbclient.dll").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);

  EXPECT_TRUE(copyFileOverwrite(folder.file("new"), folder.file("fbclient.dll")));
  EXPECT_EQ(readFile(folder.file("fbclient.dll")), "new library");
  char buffer[32] = {};
  EXPECT_EQ(read(held, buffer, sizeof buffer), 11);
  EXPECT_EQ(std::string(buffer), "old library");
  close(held);
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
