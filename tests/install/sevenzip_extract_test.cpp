#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "core/error.h"
#include "install/sevenzip/sevenzip.h"
#include "tests/support/file_access.h"
#include "tests/support/rar_writer.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using test::RarItem;

const std::string kSystemLibrary = test::systemArchiveLibrary();
const std::string kTurkishName = "Güncelleme_ŞşÇçĞğİıÖöÜü.txt";

std::string failureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.message();
  }
  return "(no failure)";
}

// The message of a file that cannot be opened or created: the system's full
// path and its text for the error (numbered as errno on Linux, as Windows
// numbers them there).
std::string fileMessage(const std::string& verb, const std::string& path, int posixError,
                        int windowsError) {
  return "Cannot " + verb + " file \"" + test::nativePath(path) + "\". " +
         test::systemErrorText(test::kOnWindows ? windowsError : posixError);
}

// Every path below the folder, relative to it ("sub/", "sub/x.txt").
std::set<std::string> contentsOf(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string name = fs::relative(entry.path(), folder).generic_string();
    names.insert(entry.is_directory() ? name + "/" : name);
  }
  return names;
}

class SevenZipExtract : public ::testing::Test {
 protected:
  void SetUp() override {
    out = temp.file("out");
    fs::create_directory(out);
    archive.CreateRarArchive(kSystemLibrary);
  }

  std::string archiveOf(const std::vector<RarItem>& items, const std::string& name = "a.rar") {
    const std::string path = temp.file(name);
    test::writeRarArchive(path, items);
    return path;
  }
  void extract(const std::vector<RarItem>& items, const std::string& folder) {
    archive.OpenArchiveFile(archiveOf(items));
    archive.ExtractAllTo(folder);
    archive.CloseArchive();
  }

  test::TempFolder temp;
  std::string out;
  ArchiveSlot archive;
};

TEST_F(SevenZipExtract, WritesFilesBelowTheFolderAndCreatesTheirFolders) {
  extract({RarItem::file("top.txt", "top"), RarItem::folderItem("empty"),
           RarItem::file("sub/dir/inner.txt", "inner"), RarItem::file(kTurkishName, "tr"),
           RarItem::file("zero.txt", "")},
          out);
  EXPECT_EQ(contentsOf(out),
            (std::set<std::string>{"top.txt", "sub/", "sub/dir/", "sub/dir/inner.txt", kTurkishName,
                                   "zero.txt"}));
  EXPECT_EQ(test::readFile(out + "/top.txt"), "top");
  EXPECT_EQ(test::readFile(out + "/sub/dir/inner.txt"), "inner");
  EXPECT_EQ(test::readFile(out + "/" + kTurkishName), "tr");
  EXPECT_EQ(test::readFile(out + "/zero.txt"), "");
}

TEST_F(SevenZipExtract, FolderWithOrWithoutClosingSlashIsTheSame) {
  const std::vector<RarItem> items{RarItem::file("top.txt", "1"), RarItem::file("d/x.txt", "2")};
  extract(items, out + "/");
  const std::set<std::string> withSlash = contentsOf(out);
  fs::remove_all(out);
  fs::create_directory(out);
  extract(items, out);
  EXPECT_EQ(contentsOf(out), withSlash);
  EXPECT_EQ(withSlash, (std::set<std::string>{"top.txt", "d/", "d/x.txt"}));
}

TEST_F(SevenZipExtract, MissingExtractionFolderIsCreated) {
  extract({RarItem::file("dll/a.dll", "a")}, out + "/new/level");
  EXPECT_EQ(test::readFile(out + "/new/level/dll/a.dll"), "a");
}

TEST_F(SevenZipExtract, BackslashesSeparateFolders) {
  extract({RarItem::file("sub\\x.txt", "x")}, out);
  EXPECT_EQ(test::readFile(out + "/sub/x.txt"), "x");
}

TEST_F(SevenZipExtract, ReplacesAnExistingFileKeepingItsPermissions) {
  test::writeFile(out + "/top.txt", "an older and longer content");
  fs::permissions(out + "/top.txt", fs::perms(0750));
  // Windows keeps no mode bits: there the bits read back before are compared.
  const fs::perms before = fs::status(out + "/top.txt").permissions();
  if (!test::kOnWindows) {
    EXPECT_EQ(before, fs::perms(0750));
  }
  extract({RarItem::file("top.txt", "new")}, out);
  EXPECT_EQ(test::readFile(out + "/top.txt"), "new");
  EXPECT_EQ(fs::status(out + "/top.txt").permissions(), before);
  EXPECT_EQ(contentsOf(out), (std::set<std::string>{"top.txt"}));
}

TEST_F(SevenZipExtract, TargetThatCannotBeCreatedFailsTheExtraction) {
  fs::create_directories(out + "/top.txt/inside");
  archive.OpenArchiveFile(archiveOf({RarItem::file("top.txt", "t")}));
  EXPECT_EQ(failureOf([&] { archive.ExtractAllTo(out); }),
            fileMessage("create", out + "/top.txt", EISDIR, 5));

  test::writeFile(out + "/sub", "a file where a folder should be");
  archive.CloseArchive();
  archive.OpenArchiveFile(archiveOf({RarItem::file("sub/x.txt", "x")}, "b.rar"));
  EXPECT_EQ(failureOf([&] { archive.ExtractAllTo(out); }),
            fileMessage("create", out + "/sub/x.txt", ENOTDIR, 3));
  archive.CloseArchive();
  EXPECT_EQ(contentsOf(out), (std::set<std::string>{"top.txt/", "top.txt/inside/", "sub"}));
}

TEST_F(SevenZipExtract, MessageNamesTheFullPathOfARelativeFolder) {
  fs::create_directories(out + "/top.txt/inside");
  test::ScopedWorkingDirectory inTemp(temp.path());
  archive.OpenArchiveFile(archiveOf({RarItem::file("top.txt", "")}));
  EXPECT_EQ(failureOf([&] { archive.ExtractAllTo("out/./"); }),
            fileMessage("create", out + "/top.txt", EISDIR, 5));
}

TEST_F(SevenZipExtract, AFailedItemLeavesThePreviousFileAndFailsAfterTheOthers) {
  test::writeFile(out + "/zelvak.exe", "previous program");
  test::writeFile(out + "/data.bin", "previous data");
  RarItem corrupt = RarItem::file("data.bin", "checksum will not match");
  corrupt.wrongDataCrc = true;
  archive.OpenArchiveFile(archiveOf({RarItem::compressed("zelvak.exe", std::string(64, 'z')),
                                     corrupt, RarItem::file("after.txt", "after")}));
  // Debian's p7zip has no RAR decoder; the Windows library has one, which
  // finds the stand-in compressed data damaged. Either way the item fails.
  EXPECT_EQ(failureOf([&] { archive.ExtractAllTo(out); }),
            std::string("Cannot extract \"zelvak.exe\". ") +
                (test::kOnWindows ? "Data Error" : "Unsupported Method") + " (1 more item failed)");
  archive.CloseArchive();

  EXPECT_EQ(test::readFile(out + "/zelvak.exe"), "previous program");
  EXPECT_EQ(test::readFile(out + "/data.bin"), "previous data");
  EXPECT_EQ(test::readFile(out + "/after.txt"), "after");
  EXPECT_EQ(contentsOf(out), (std::set<std::string>{"zelvak.exe", "data.bin", "after.txt"}));
}

TEST_F(SevenZipExtract, AFailedNewItemLeavesNothing) {
  RarItem corrupt = RarItem::file("data.bin", "checksum will not match");
  corrupt.wrongDataCrc = true;
  archive.OpenArchiveFile(archiveOf({corrupt}));
  EXPECT_EQ(failureOf([&] { archive.ExtractAllTo(out); }),
            "Cannot extract \"data.bin\". CRC Failed");
  EXPECT_TRUE(contentsOf(out).empty());
}

TEST_F(SevenZipExtract, NothingIsWrittenOutsideTheFolder) {
  const std::string outside = temp.file("outside");
  fs::create_directory(outside);
  const std::string nested = out + "/nested";
  archive.OpenArchiveFile(archiveOf({
      RarItem::file("../evil.txt", "e"),
      RarItem::file(outside + "/abs.txt", "a"),
      RarItem::file("C:/drive.txt", "c"),
      RarItem::file("ok/../../../sneaky.txt", "s"),
      RarItem::file("..\\back.txt", "b"),
      RarItem::file("fine.txt", "fine"),
  }));
  EXPECT_EQ(failureOf([&] { archive.ExtractAllTo(nested); }),
            // The item path as the library reports it, in the system's separators.
            "Cannot extract \"" + test::nativePath("../evil.txt") +
                "\". Unsafe path (4 more items failed)");
  EXPECT_EQ(contentsOf(temp.path()), (std::set<std::string>{"a.rar", "outside/", "out/",
                                                            "out/nested/", "out/nested/fine.txt"}));
}

TEST_F(SevenZipExtract, ExtractsAgainAfterReopeningWithTheSameObject) {
  archive.OpenArchiveFile(archiveOf({RarItem::file("one.txt", "1")}, "one.rar"));
  archive.ExtractAllTo(out);
  archive.ExtractAllTo(out + "/again");
  archive.CloseArchive();
  archive.OpenArchiveFile(archiveOf({RarItem::file("two.txt", "2")}, "two.rar"));
  archive.OpenArchiveFile(temp.file("two.rar"));
  archive.ExtractAllTo(out);
  archive.CloseArchive();
  EXPECT_EQ(contentsOf(out),
            (std::set<std::string>{"one.txt", "two.txt", "again/", "again/one.txt"}));
}

TEST_F(SevenZipExtract, NoFurtherVolumeIsSupplied) {
  test::writeFile(out + "/split.bin", "previous");
  test::writeFile(temp.file("v.part1.rar"),
                  test::rarFirstVolume({RarItem::file("whole.txt", "whole")},
                                       RarItem::file("split.bin", std::string(1000, 'x'))));
  test::writeFile(temp.file("v.part2.rar"), "a next volume that must not be asked for");
  archive.OpenArchiveFile(temp.file("v.part1.rar"));
  EXPECT_EQ(failureOf([&] { archive.ExtractAllTo(out); }),
            "Cannot extract \"split.bin\". Data Error");
  EXPECT_EQ(test::readFile(out + "/whole.txt"), "whole");
  EXPECT_EQ(test::readFile(out + "/split.bin"), "previous");
}

class SevenZipOpen : public SevenZipExtract {};

TEST_F(SevenZipOpen, MissingFileFailsAndCloseDoesNothing) {
  EXPECT_EQ(failureOf([&] { archive.OpenArchiveFile(temp.file("missing.rar")); }),
            fileMessage("open", temp.file("missing.rar"), ENOENT, 2));
  archive.CloseArchive();
  archive.CloseArchive();
  EXPECT_THROW(archive.ExtractAllTo(out), Error);
}

TEST_F(SevenZipOpen, RelativePathIsNamedInFull) {
  test::ScopedWorkingDirectory inTemp(temp.path());
  EXPECT_EQ(failureOf([&] { archive.OpenArchiveFile("update/../missing.rar"); }),
            fileMessage("open", temp.file("missing.rar"), ENOENT, 2));
}

TEST_F(SevenZipOpen, FileThatIsNoRarArchiveFails) {
  test::writeFile(temp.file("text.rar"), "this is not an archive at all\n");
  // The system's text for the library's S_FALSE (1): Windows' own table, or
  // the program's copy of it elsewhere.
  EXPECT_EQ(failureOf([&] { archive.OpenArchiveFile(temp.file("text.rar")); }),
            test::kOnWindows ? test::systemErrorText(1) : "Incorrect function");
  archive.CloseArchive();
  archive.CloseArchive();
}

TEST_F(SevenZipOpen, DamagedArchivesFailToOpen) {
  const std::string whole = test::rarArchive(
      {RarItem::file("first.txt", "first"), RarItem::file("second.txt", std::string(100, 's'))});
  test::writeFile(temp.file("cut.rar"), whole.substr(0, whole.size() - 40));
  EXPECT_EQ(failureOf([&] { archive.OpenArchiveFile(temp.file("cut.rar")); }),
            "Cannot open file \"" + test::nativePath(temp.file("cut.rar")) +
                "\". Unexpected end of archive");
  archive.CloseArchive();

  RarItem badHeader = RarItem::file("second.txt", "s");
  badHeader.wrongHeaderCrc = true;
  const std::string damaged =
      archiveOf({RarItem::file("first.txt", "first"), badHeader, RarItem::file("third.txt", "t")});
  EXPECT_EQ(failureOf([&] { archive.OpenArchiveFile(damaged); }),
            "Cannot open file \"" + test::nativePath(damaged) + "\". Headers Error");
  archive.CloseArchive();
}

}  // namespace
}  // namespace zk
