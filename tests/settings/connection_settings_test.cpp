#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"
#include "settings/connection_settings.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

class ConnectionSettingsTest : public ::testing::Test {
 protected:
  test::TempFolder folder;
  test::ScopedWorkingDirectory cwd{folder.path()};
  test::RecordingUi ui;

  void writeSettings(const std::string& bytes) {
    test::writeFile(folder.file("zkayarlar.ini"), bytes);
  }

  // Runs the check expecting the program to end; returns the exit code.
  int expectProgramEnd() {
    try {
      readConnectionSettings(ui);
    } catch (const ProgramEnd& end) {
      return end.exitCode();
    }
    ADD_FAILURE() << "the program did not end";
    return -1;
  }
};

TEST_F(ConnectionSettingsTest, ReadsBothValuesAndFillsTheStatusBar) {
  writeSettings(
      "[baglanti]\r\n"
      "db_adres = \"C:\\Zelvak\\DATA.FDB\"\r\n"
      "sunucu_ip = localhost \r\n");
  int pumpsBeforeFileRead = -1;
  ui.onPump = [&] {
    if (pumpsBeforeFileRead < 0) {
      pumpsBeforeFileRead = ui.pumps;
      EXPECT_EQ(ui.status(), "Bağlantı Dosya kontrolü yapılıyor");
      EXPECT_EQ(ui.statusPanel(0), "");
    }
  };

  const ConnectionSettings settings = readConnectionSettings(ui);

  EXPECT_EQ(settings.databasePath, "C:\\Zelvak\\DATA.FDB");
  EXPECT_EQ(settings.serverAddress, "localhost");
  EXPECT_EQ(settings.settingsFile.fileName(), test::nativePath(folder.path() + "/zkayarlar.ini"));
  EXPECT_EQ(ui.statusPanel(0), "ver: 2027.01");
  EXPECT_EQ(ui.statusPanel(1), "localhost");
  EXPECT_EQ(ui.statusPanel(2), "C:\\Zelvak\\DATA.FDB");
  EXPECT_EQ(ui.statusHistory, std::vector<std::string>{"Bağlantı Dosya kontrolü yapılıyor"});
  EXPECT_EQ(pumpsBeforeFileRead, 1);
  EXPECT_EQ(ui.pumps, 2);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ConnectionSettingsTest, OnlyTheSectionHeaderGivesEmptyPanels) {
  writeSettings("[BAGLANTI]\r\n");
  const ConnectionSettings settings = readConnectionSettings(ui);
  EXPECT_EQ(settings.databasePath, "");
  EXPECT_EQ(settings.serverAddress, "");
  EXPECT_EQ(ui.statusPanel(0), "ver: 2027.01");
  EXPECT_EQ(ui.statusPanel(1), "");
  EXPECT_EQ(ui.statusPanel(2), "");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ConnectionSettingsTest, ValuesAreShownAsWritten) {
  // "Şirket" in Windows-1254; the capital L stays.
  writeSettings("[BAGLANTI]\nSUNUCU_IP=Localhost\nDB_ADRES=D:\\\xDEirket.fdb\n");
  const ConnectionSettings settings = readConnectionSettings(ui);
  EXPECT_EQ(ui.statusPanel(1), "Localhost");
  EXPECT_EQ(settings.serverAddress, "Localhost");
  EXPECT_EQ(ui.statusPanel(2), "D:\\Şirket.fdb");
}

TEST_F(ConnectionSettingsTest, MissingFileShowsTheMessageAndEndsWithCodeZero) {
  EXPECT_EQ(expectProgramEnd(), 0);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Ayar Dosyası okunamadı.. Program sonlandırılacak"});
  EXPECT_EQ(ui.status(), "Bağlantı Dosya kontrolü yapılıyor");
  EXPECT_EQ(ui.pumps, 1);
  EXPECT_EQ(ui.statusPanel(0), "");
}

TEST_F(ConnectionSettingsTest, FolderNamedLikeTheSettingsFileCountsAsMissing) {
  std::filesystem::create_directory(folder.file("zkayarlar.ini"));
  EXPECT_EQ(expectProgramEnd(), 0);
  EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
}  // namespace zk
