#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "app/dialogs.h"
#include "app/qt/main_window.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/demo_fixture.h"
#include "tests/support/file_http_server.h"
#include "tests/support/qt/qt_application.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

// The main program's button on the real window, as a user presses it on a
// workstation: the mobile action aborts silently, the main program is
// replaced and started, and clicks that arrive meanwhile are ignored.
class UpdateButtonsOnTheWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ensureQtApplication();
    setBoxObserver([this](BoxKind, const std::string& text) { boxes.push_back(text); });
    standIn = test::readFile(test::standInProgram());
    test::writeDemoUpdateServer(server.path(), standIn);
    test::writeDemoInstallation(install.path(), "10.1.2.3", "/data/zelvak.fdb", standIn);
  }
  void TearDown() override { setBoxObserver({}); }

  // The window as the start-up leaves it on a workstation, the check done.
  void prepare(TForm1& form, const test::FileHttpServer& http) {
    form.serverAddress = "10.1.2.3";
    form.updateDir = install.file("update");
    form.reportDir = install.file("report");
    form.yearBaseUrl = http.url("/") + test::kDemoYear + "/";
    applyConfiguredClientSettings(form.IdHTTP1);
    form.memoClear();
    form.memoAddLine("duyuru");
  }

  test::TempFolder server;
  test::TempFolder install;
  std::string standIn;
  std::vector<std::string> boxes;
};

TEST_F(UpdateButtonsOnTheWindow, MainProgramOnAWorkstationIsReplacedAndStartedWithoutAMessage) {
  std::filesystem::create_directories(install.file("update"));
  test::FileHttpServer http(server.path());
  test::ScopedWorkingDirectory inInstallation(install.path());
  const std::string startedMark = install.file("started.mark");
  test::ScopedEnvironment markVariable("ZK_STANDIN_MARK", startedMark);
  test::ChildProcess running(install.file("zelvak.exe"), {"--mark", install.file("old.mark")});
  ASSERT_TRUE(test::waitForMark(install.file("old.mark")));

  TForm1 form;
  prepare(form, http);
  int ignoredClicks = 0;
  // A user pressing other buttons while the download pumps: nothing happens.
  form.setClickHandler("BitBtn4", [&] { ++ignoredClicks; });
  form.setClickHandler("BitBtn8", [&] { ++ignoredClicks; });
  QTimer::singleShot(0, &form, [&] {
    form.findChild<QPushButton*>("BitBtn4")->click();
    form.findChild<QPushButton*>("BitBtn8")->click();
  });
  form.findChild<QPushButton*>("BitBtn2")->click();

  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(ignoredClicks, 0);
  EXPECT_TRUE(running.waitForEnd());
  EXPECT_EQ(test::readFile(install.file("zelvak.exe")),
            test::demoProgram(standIn, "zelvak.exe", "12"));
  // The mobile server was left alone: its action aborted at once.
  EXPECT_EQ(test::readFile(install.file("mobil.exe")),
            test::demoProgram(standIn, "mobil.exe", "old"));
  EXPECT_EQ(http.requestedTargets(), (std::vector<std::string>{"/2027/zelvak.rar"}));
  ASSERT_GE(form.memoLines().size(), 2u);
  EXPECT_EQ(form.memoLines()[0], "** Zelvak İndilirdi.");
  EXPECT_EQ(form.memoLines()[1], "duyuru");
  EXPECT_EQ(form.status(), "ZelvaK Kopyalanıp ZelvaK Açılacak");
  const auto started = test::waitForMark(startedMark);
  ASSERT_TRUE(started);
  test::AdoptedProcess newMainProgram(started->pid);
  EXPECT_EQ(started->workingDirectory, install.path());
}

}  // namespace
}  // namespace zk
