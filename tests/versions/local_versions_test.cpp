#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/text_file.h"
#include "tests/support/file_access.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_folder.h"
#include "versions/local_versions.h"

namespace zk {
namespace {

const char* const kInstalledLabels[] = {"Label13", "Label14", "Label15", "Label17", "Label18"};

class LocalVersions : public ::testing::Test {
 protected:
  LocalVersions() {
    // The start-up sequence sets every version label to "0" first.
    for (const char* label : kInstalledLabels) {
      ui.setCaption(label, "0");
    }
    ui.captionHistory.clear();
  }
  ~LocalVersions() override { platform::setTextFileFailureHook({}); }

  void put(const std::string& name, const std::string& bytes) {
    test::writeFile(folder.file(name), bytes);
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(folder.file(name)); }
  // The operation on `name` fails with `code`.
  void failOn(const std::string& name, platform::TextFileOperation operation, int code) {
    platform::setTextFileFailureHook([=](platform::TextFileOperation op, const std::string& p) {
      const bool named = p.ends_with("/" + name) || p.ends_with("\\" + name);
      return op == operation && named ? code : 0;
    });
  }
  // The first line `dosya_control` shows for a version file holding `bytes`.
  std::string shown(const std::string& bytes) {
    put("verzk.txt", bytes);
    dosya_control(ui, "verzk.txt", "13");
    EXPECT_EQ(lastVersionLine, ui.caption("Label13"));
    return ui.caption("Label13");
  }

  test::TempFolder folder;
  test::ScopedWorkingDirectory cwd{folder.path()};
  test::RecordingUi ui;
};

TEST_F(LocalVersions, MissingFileIsCreatedWithTheSingleByteOne) {
  dosya_control(ui, "verzk.txt", "13");
  EXPECT_EQ(test::readFile(folder.file("verzk.txt")), "1");
  EXPECT_EQ(ui.caption("Label13"), "1");
  EXPECT_EQ(lastVersionLine, "1");
}

TEST_F(LocalVersions, FirstLineEndsAtLfCrLfCtrlZOrTheEnd) {
  EXPECT_EQ(shown("14\r\n15"), "14");
  EXPECT_EQ(shown("14\n15"), "14");
  EXPECT_EQ(shown("5\x1A"
                  "6\r\n"),
            "5");
  EXPECT_EQ(shown("27"), "27");
  EXPECT_EQ(shown(""), "");
  EXPECT_EQ(shown("\r\n7"), "");
  EXPECT_EQ(shown("\n7"), "");
}

TEST_F(LocalVersions, LoneCarriageReturnsAreLeftOutAndNothingIsTrimmed) {
  EXPECT_EQ(shown(" 7 "), " 7 ");
  EXPECT_EQ(shown("\t7\t\r\n"), "\t7\t");
  EXPECT_EQ(shown("1\r2\n3"), "12");
  EXPECT_EQ(shown("7\r"), "7");
  EXPECT_EQ(shown("7\r\r\n8"), "7");
  EXPECT_EQ(shown("7\r\x1A"
                  "8"),
            "7");
}

TEST_F(LocalVersions, LongLinesAreReadWhole) {
  const std::string longLine(100000, '9');
  EXPECT_EQ(shown(longLine + "\r\n1"), longLine);
  // A CR as the last byte of one read and its LF as the first of the next.
  const std::string head(4095, 'x');
  EXPECT_EQ(shown(head + "\r\nrest"), head);
  EXPECT_EQ(shown(head + "\ry"), head + "y");
}

TEST_F(LocalVersions, LineBytesAreWindows1254) {
  EXPECT_EQ(shown("s\xFCr\xFCm \xDD\xFE"), "sürüm İş");
}

TEST_F(LocalVersions, RowsRunInOrderAfterTheStatusLine) {
  for (const char* name : {"verzk.txt", "verrp.txt", "verdl.txt", "vermb.txt", "verpr.txt"}) {
    put(name, std::string(name).substr(3, 2));
  }
  put("yazici.exe", "MZ");
  ui.onPump = [&] { EXPECT_TRUE(ui.captionHistory.size() == 1) << "files read before the pump"; };

  local_version_kontrol(ui, "localhost");

  EXPECT_EQ(ui.captionHistory, (std::vector<std::string>{
                                   "Label19=Yerel Versiyon kontrolleri yapılıyor..", "Label13=zk",
                                   "Label17=rp", "Label18=dl", "Label14=mb", "Label15=pr"}));
  EXPECT_EQ(ui.pumps, 1);
}

TEST_F(LocalVersions, MissingFilesAreCreatedOnTheDatabaseServer) {
  put("yazici.exe", "");
  local_version_kontrol(ui, "localhost");
  for (const char* name : {"verzk.txt", "verrp.txt", "verdl.txt", "vermb.txt", "verpr.txt"}) {
    EXPECT_EQ(test::readFile(folder.file(name)), "1") << name;
  }
  for (const char* label : kInstalledLabels) {
    EXPECT_EQ(ui.caption(label), "1") << label;
  }
}

TEST_F(LocalVersions, OptionalRowsShowYokAndTheirFilesAreLeftAlone) {
  put("verpr.txt", "4");
  put("yazdir.exe", "MZ");
  std::filesystem::create_directory(folder.file("yazici.exe"));
  // Reading or creating either file would fail the check.
  platform::setTextFileFailureHook([](platform::TextFileOperation, const std::string& p) {
    return p.ends_with("/vermb.txt") || p.ends_with("/verpr.txt") ? 5 : 0;
  });

  for (const char* address : {"192.168.1.10", "Localhost", "LOCALHOST", "localhost ", ""}) {
    local_version_kontrol(ui, address);
    EXPECT_EQ(ui.caption("Label14"), "Yok") << address;
    EXPECT_EQ(ui.caption("Label15"), "Yok") << address;
  }
  EXPECT_EQ(ui.caption("Label13"), "1");
  EXPECT_FALSE(exists("vermb.txt"));
}

// The check in the read-only folder, as the child reports it.
std::string checkReadOnlyFolder(const std::string& folder) {
  test::ScopedWorkingDirectory cwd(folder);
  test::RecordingUi ui;
  for (const char* label : kInstalledLabels) {
    ui.setCaption(label, "0");
  }
  std::string report;
  try {
    local_version_kontrol(ui, "localhost");
    report = "completed";
  } catch (const InOutError& e) {
    report = std::to_string(e.code()) + " " + e.message();
  }
  for (const char* label : kInstalledLabels) {
    report += std::string(";") + label + "=" + ui.caption(label);
  }
  return report;
}

TEST_F(LocalVersions, ReadOnlyFolderWithAllFilesIsOnlyRead) {
  if (test::kOnWindows) {
    GTEST_SKIP() << "a Windows folder has no write bit and Wine no other user to run as";
  }
  for (const char* name : {"verzk.txt", "verrp.txt", "verdl.txt", "vermb.txt", "verpr.txt"}) {
    put(name, std::string(name).substr(3, 2) + "\r\n");
  }
  put("yazici.exe", "");
  test::makeFolderReadOnly(folder.path());
  const std::string report =
      test::runUnprivileged([&] { return checkReadOnlyFolder(folder.path()); });
  EXPECT_EQ(report, "completed;Label13=zk;Label14=mb;Label15=pr;Label17=rp;Label18=dl");
  EXPECT_EQ(test::readFile(folder.file("verzk.txt")), "zk\r\n");
}

TEST_F(LocalVersions, ReadOnlyFolderWithoutReportsFileStopsWithAccessDenied) {
  if (test::kOnWindows) {
    GTEST_SKIP() << "a Windows folder has no write bit and Wine no other user to run as";
  }
  put("verzk.txt", "7");
  put("yazici.exe", "");
  test::makeFolderReadOnly(folder.path());
  const std::string report =
      test::runUnprivileged([&] { return checkReadOnlyFolder(folder.path()); });
  EXPECT_EQ(report, "5 File access denied;Label13=7;Label14=0;Label15=0;Label17=0;Label18=0");
  EXPECT_FALSE(exists("verrp.txt"));
  EXPECT_FALSE(exists("verdl.txt"));
  EXPECT_FALSE(exists("vermb.txt"));
}

TEST_F(LocalVersions, FolderNamedLikeTheVersionFileCannotBeCreated) {
  std::filesystem::create_directory(folder.file("verzk.txt"));
  try {
    local_version_kontrol(ui, "localhost");
    FAIL() << "no failure";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.code(), 5);
    EXPECT_EQ(e.message(), "File access denied");
  }
  EXPECT_EQ(ui.caption("Label13"), "0");
  EXPECT_FALSE(exists("verrp.txt"));
}

TEST_F(LocalVersions, FileHeldUnderAWriteLockIsRefused) {
  put("verdl.txt", "9");
  // A write lock here, a file held open without sharing on Windows.
  test::FileHeldLocked writer(folder.file("verdl.txt"));

  try {
    local_version_kontrol(ui, "localhost");
    ADD_FAILURE() << "no failure";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.message(), "I/O error 32");
  }
  writer.release();
  EXPECT_EQ(ui.caption("Label13"), "1");
  EXPECT_EQ(ui.caption("Label17"), "1");
  EXPECT_EQ(ui.caption("Label18"), "0");
  EXPECT_EQ(ui.caption("Label14"), "0");
  EXPECT_FALSE(exists("vermb.txt"));
}

TEST_F(LocalVersions, ByteThatCannotReachTheDiskFailsAtClose) {
  if (!std::filesystem::is_character_file("/dev/full")) {
    GTEST_SKIP() << "no /dev/full (Windows has no device that is always full)";
  }
  // The file does not exist as a regular file, so it is "created" on a full disk.
  std::filesystem::create_symlink("/dev/full", folder.file("verzk.txt"));
  try {
    dosya_control(ui, "verzk.txt", "13");
    ADD_FAILURE() << "no failure";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.code(), 101);
    EXPECT_EQ(e.message(), "Disk full");
  }
  EXPECT_EQ(ui.caption("Label13"), "0");
}

TEST_F(LocalVersions, FailedReadLeavesTheLabelAndStopsTheCheck) {
  put("verzk.txt", "7");
  put("verrp.txt", "8");
  failOn("verrp.txt", platform::TextFileOperation::Read, 100);
  try {
    local_version_kontrol(ui, "localhost");
    ADD_FAILURE() << "no failure";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.message(), "Read beyond end of file");
  }
  EXPECT_EQ(ui.caption("Label13"), "7");
  EXPECT_EQ(ui.caption("Label17"), "0");
  EXPECT_FALSE(exists("verdl.txt"));
}

}  // namespace
}  // namespace zk
