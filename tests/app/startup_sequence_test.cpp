// The start-up sequence, the clock and the server version check on the real
// window, with the real Firebird test server for the licence year and a
// scripted loopback server as the update server.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/clock_text.h"
#include "app/default_handling.h"
#include "app/dialogs.h"
#include "app/qt/main_window.h"
#include "core/text_encoding.h"
#include "platform/files.h"
#include "settings/data_module.h"
#include "tests/support/file_http_server.h"
#include "tests/support/firebird_server.h"
#include "tests/support/minisign_tool.h"
#include "tests/support/qt/qt_application.h"
#include "tests/support/request_summary.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using Server = test::ScriptedHttpServer;
using Lines = std::vector<std::string>;

constexpr const char* kNoConnection =
    "MESSAGE: Internet Bağlantınız yok. Bağlantı olmadan güncelleme gerçekleştirilemez.";
constexpr const char* kLocalCheckStatus = "Yerel Versiyon kontrolleri yapılıyor..";
constexpr const char* kCheckRunningStatus = "Sunucu Versiyon kontrolleri yapılıyor.";
constexpr const char* kCheckDoneStatus = "Sunucu Versiyon kontrolleri Yapıldı.";
const Lines kUpdateButtons = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn7"};
const Lines kServerLabels = {"Label21", "Label22", "Label23", "Label25", "Label26"};

// Sets or removes an environment variable for the life of the object.
class EnvironmentOverride {
 public:
  EnvironmentOverride(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
      previous_ = old;
    }
    set(value);
  }
  ~EnvironmentOverride() { set(previous_); }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

  void set(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

Server::Script answering(const std::vector<std::string>& answers) {
  Server::Script script;
  for (const std::string& answer : answers) {
    script.push_back(Server::request());
    script.push_back(Server::send(answer));
  }
  return script;
}

std::string notFound() {
  return test::httpAnswer("HTTP/1.1 404 Not Found", {"Content-Length: 9"}, "not found");
}

// The six version requests of the check, each on a connection of its own.
Lines versionRequests(int firstConnection) {
  Lines lines;
  const char* targets[] = {"/2024/verzk.txt", "/2024/vermb.txt",  "/2024/verpr.txt",
                           "/2024/verfg.txt", "/2024//verrp.txt", "/2024/verdl.txt"};
  for (const char* target : targets) {
    lines.push_back(std::to_string(firstConnection++) + " default GET " + target + " HTTP/1.1");
  }
  return lines;
}

Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The announcement of the server, with all three kinds of line end.
const std::string kAnnouncement = utf8ToCp1254("Yeni sürüm çıktı\r\nİkinci satır\nÜçüncü\rSon\r\n");
const Lines kAnnouncementLines = {"Yeni sürüm çıktı", "İkinci satır", "Üçüncü", "Son"};

class StartupSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::firebirdPort()) {
      GTEST_SKIP() << test::kNoFirebirdServer;
    }
    test::ensureQtApplication();
    ASSERT_TRUE(test::createDatabase(database.file("firma.fdb"), 3,
                                     "CREATE TABLE firmabilgi (firma VARCHAR(40), yil INTEGER);"
                                     "INSERT INTO firmabilgi VALUES ('Deneme', 2024);"));
    test::writeSettingsFile(folder.file("zkayarlar.ini"), test::firebirdServerAddress(),
                            database.file("firma.fdb"));
    // Installed: main program 5, reports 7, DLL bundle 3, printing 2; the
    // database is not "localhost", so the mobile server is "Yok".
    test::writeFile(folder.file("verzk.txt"), "5");
    test::writeFile(folder.file("verrp.txt"), "7\r\n");
    test::writeFile(folder.file("verdl.txt"), "3");
    test::writeFile(folder.file("yazici.exe"), "MZ");
    test::writeFile(folder.file("verpr.txt"), "2");
    cwd.emplace(folder.path());
    setBoxObserver([this](BoxKind kind, const std::string& text) {
      boxes.push_back((kind == BoxKind::Error ? "ERROR: " : "MESSAGE: ") + text);
      statusAtBox.push_back(form ? form->status() : "");
      memoAtBox.push_back(form ? form->memoLines() : Lines{});
    });
    form.emplace(&dm);
  }

  void TearDown() override {
    form.reset();
    setBoxObserver({});
    cwd.reset();
  }

  // Both start-up files in the working directory: nothing is fetched.
  void provideStartupFiles() {
    test::writeFile(folder.file("7z.so"), "library");
    test::writeFile(folder.file("logo1024.png"), "png");
  }

  // The server answers for the six version texts, in the order asked.
  void serveVersions(const Lines& texts) {
    for (const std::string& text : texts) {
      server.addConnection(answering({test::okAnswer(text)}));
    }
  }

  void formCreate() {
    runWithDefaultHandling([this] { form->FormCreate(); });
  }
  // A clock tick as the timer delivers it.
  void tick() {
    runWithDefaultHandling([this] { form->Timer1Timer(); });
  }

  // Runs the event loop (the real timer with it) until the condition holds.
  bool spinUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
      if (clock.elapsed() > timeoutMs) {
        return false;
      }
      QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
  }
  void spinFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
      QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
  }

  bool timerRunning() const { return form->findChild<QTimer*>("Timer1")->isActive(); }
  Lines captions(const Lines& labels) const {
    Lines result;
    for (const std::string& label : labels) {
      result.push_back(form->caption(label));
    }
    return result;
  }
  Lines enabledButtons() const {
    Lines result;
    for (const std::string& button : kUpdateButtons) {
      if (form->isEnabled(button)) {
        result.push_back(button);
      }
    }
    return result;
  }
  Lines blueLabels() const {
    Lines result;
    for (const std::string& label : kServerLabels) {
      if (form->fontColor(label) == colors::kBlue) {
        result.push_back(label);
      } else {
        EXPECT_EQ(form->fontColor(label), colors::kRed) << label;
      }
    }
    return result;
  }
  Lines installedCaptions() const {
    return captions({"Label13", "Label14", "Label15", "Label17", "Label18"});
  }
  std::string localFile(const std::string& name) const {
    return platform::workingDirectory() + "/" + name;
  }

  // The window after a complete start-up: locked buttons, installed versions,
  // "0" for the server, the clock set and running, the memo empty.
  void expectStartedAndWaitingForTheFirstTick() {
    EXPECT_EQ(form->caption("Label2"), "2024");
    EXPECT_EQ(form->yearBaseUrl, server.url("/") + "2024/");
    EXPECT_EQ(form->serverRootUrl, server.url("/"));
    EXPECT_EQ(enabledButtons(), Lines{});
    EXPECT_TRUE(form->isEnabled("BitBtn8"));
    EXPECT_EQ(installedCaptions(), (Lines{"5", "Yok", "2", "7", "3"}));
    EXPECT_EQ(captions(kServerLabels), (Lines{"0", "0", "0", "0", "0"}));
    EXPECT_EQ(blueLabels(), Lines{});
    EXPECT_EQ(form->status(), kLocalCheckStatus);
    EXPECT_EQ(form->caption("Label20"), currentDateText());
    EXPECT_NE(form->caption("Label10"), "Label10");
    EXPECT_EQ(form->memoLines(), Lines{});
    EXPECT_TRUE(timerRunning());
    EXPECT_FALSE(form->versionCheckDone);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }

  // The window after a check that went through.
  void expectCheckDone(const Lines& serverCaptions, const Lines& blue) {
    EXPECT_EQ(captions(kServerLabels), serverCaptions);
    EXPECT_EQ(blueLabels(), blue);
    EXPECT_EQ(enabledButtons(), kUpdateButtons);
    EXPECT_EQ(form->memoLines(), kAnnouncementLines);
    EXPECT_EQ(form->status(), kCheckDoneStatus);
    EXPECT_EQ(test::readFile(localFile("duyuru.txt")), kAnnouncement);
    EXPECT_TRUE(form->versionCheckDone);
  }

  test::TempFolder database;
  test::TempFolder folder;
  Server server;
  EnvironmentOverride root{"ZELVAK_UPDATE_ROOT", server.url("/")};
  EnvironmentOverride connectivity{"ZK_CONNECTIVITY", "online"};
  // Only the working directory is searched for the archive library.
  EnvironmentOverride libraryFolders{"ZK_ARCHIVE_LIBRARY_FOLDERS", folder.path()};
  std::optional<test::ScopedWorkingDirectory> cwd;
  Tdm dm;
  std::optional<TForm1> form;
  Lines boxes;
  Lines statusAtBox;
  std::vector<Lines> memoAtBox;
};

TEST_F(StartupSequence, FirstRunFetchesBothFilesThenTheCheckMarksEqualVersionsBlue) {
  server.addConnection(answering({test::okAnswer("7-zip library"), test::okAnswer("png image"),
                                  test::okAnswer(kAnnouncement)}));
  serveVersions({"5", "9", "2", "fg", "7", "3"});

  formCreate();
  EXPECT_EQ(boxes, Lines{});
  EXPECT_EQ(test::requestSummary(server), (Lines{"0 configured GET //7z.so HTTP/1.1",
                                                 "0 configured GET //logo1024.png HTTP/1.1"}));
  EXPECT_EQ(test::readFile(localFile("7z.so")), "7-zip library");
  EXPECT_EQ(test::readFile(localFile("logo1024.png")), "png image");
  EXPECT_TRUE(std::filesystem::is_directory(localFile("update")));
  EXPECT_TRUE(std::filesystem::is_directory(localFile("report")));
  EXPECT_EQ(form->updateDir, localFile("update"));
  EXPECT_EQ(form->reportDir, localFile("report"));
  EXPECT_EQ(form->statusPanel(1), test::firebirdServerAddress());
  expectStartedAndWaitingForTheFirstTick();

  tick();
  EXPECT_EQ(boxes, Lines{});
  // The configured client keeps its connection for the announcement; every
  // version text comes on a connection of its own from a default client.
  const Lines startupFiles = {"0 configured GET //7z.so HTTP/1.1",
                              "0 configured GET //logo1024.png HTTP/1.1"};
  EXPECT_EQ(test::requestSummary(server), startupFiles + versionRequests(1) +
                                              Lines{"0 configured GET /2024/duyuru.txt HTTP/1.1"});
  // Mobile server "Yok" against "9" stays red.
  expectCheckDone({"5", "9", "2", "7", "3"}, {"Label21", "Label23", "Label25", "Label26"});

  // Later ticks only keep the clock.
  tick();
  EXPECT_EQ(server.requests().size(), 9u);
  EXPECT_EQ(server.connectionsAccepted(), 7);
}

TEST_F(StartupSequence, StartupFilesPresentNothingIsFetchedAndServerTextWithLineEndStaysRed) {
  provideStartupFiles();
  serveVersions({"5\r\n", "9", "2", "fg", "7", "3"});
  server.addConnection(answering({test::okAnswer(kAnnouncement)}));

  formCreate();
  EXPECT_EQ(boxes, Lines{});
  EXPECT_EQ(server.connectionsAccepted(), 0);
  EXPECT_EQ(form->progressPosition(), 0);
  EXPECT_EQ(form->caption("Label27"), "0");
  expectStartedAndWaitingForTheFirstTick();

  tick();
  EXPECT_EQ(boxes, Lines{});
  EXPECT_EQ(test::requestSummary(server),
            versionRequests(0) + Lines{"6 configured GET /2024/duyuru.txt HTTP/1.1"});
  // The server text is shown untrimmed and only an exact match turns blue.
  expectCheckDone({"5\r\n", "9", "2", "7", "3"}, {"Label23", "Label25", "Label26"});
}

TEST_F(StartupSequence, SystemCopyOfTheLibraryIsFoundAndNotFetched) {
  if (!std::filesystem::exists("/usr/lib/p7zip/7z.so")) {
    GTEST_SKIP() << "p7zip-full is not installed";
  }
  libraryFolders.set(std::nullopt);
  test::writeFile(folder.file("logo1024.png"), "png");
  formCreate();
  EXPECT_EQ(boxes, Lines{});
  EXPECT_EQ(server.connectionsAccepted(), 0);
  EXPECT_FALSE(std::filesystem::exists(localFile("7z.so")));
}

// Signed updates on through the settings file, the root folder signed by the
// real minisign tool and served by a loopback file server.
class SignedStartup : public StartupSequence {
 protected:
  void SetUp() override {
    StartupSequence::SetUp();
    if (IsSkipped()) {
      return;
    }
    test::writeFile(rootFolder.file("7z.so"), "the vendor's library");
    test::writeFile(rootFolder.file("logo1024.png"), "png");
    key.signFolder(rootFolder.path(), {"7z.so", "logo1024.png"});
    test::writeFile(folder.file("zkayarlar.ini"),
                    test::readFile(folder.file("zkayarlar.ini")) +
                        "\r\n[GUNCELLEME]\r\nIMZA_ANAHTARI=" + key.publicKeyLine() + "\r\n");
    root.set(http.url("/"));
    test::writeFile(folder.file("logo1024.png"), "png");
  }

  test::MinisignKey key;
  test::TempFolder rootFolder;
  test::FileHttpServer http{rootFolder.path()};
};

TEST_F(SignedStartup, ALibraryTheListDoesNotNameIsReplacedByTheCheckedOne) {
  test::writeFile(folder.file("7z.so"), "a library planted in the installation");
  formCreate();
  EXPECT_EQ(boxes, Lines{});
  EXPECT_EQ(test::readFile(localFile("7z.so")), "the vendor's library");
  EXPECT_EQ(http.requestedTargets(), (Lines{"/SHA256SUMS", "/SHA256SUMS.minisig", "/7z.so"}));
}

TEST_F(SignedStartup, ALibraryAlteredOnTheServerIsNeitherStoredNorLoaded) {
  test::writeFile(folder.file("7z.so"), "a library planted in the installation");
  test::writeFile(rootFolder.file("7z.so"), "the vendor's librarz");
  formCreate();
  EXPECT_EQ(boxes, (Lines{"MESSAGE: 7z.so dosyası doğrulanamadı (dosya imzalı listedekiyle aynı "
                          "değil). Güncelleme yapılmadı, hiçbir dosya yüklenmedi."}));
  EXPECT_FALSE(std::filesystem::exists(localFile("7z.so")));
}

TEST_F(SignedStartup, ALibraryTheListNamesIsKeptAndNothingIsFetched) {
  test::writeFile(folder.file("7z.so"), "the vendor's library");
  formCreate();
  EXPECT_EQ(boxes, Lines{});
  EXPECT_EQ(http.requestedTargets(), (Lines{"/SHA256SUMS", "/SHA256SUMS.minisig"}));
}

TEST_F(StartupSequence, MissingServerTextStopsTheCheckAndLaterTicksNeverRepeatIt) {
  provideStartupFiles();
  serveVersions({"5", "9", "2"});
  server.addConnection(answering({notFound()}));

  formCreate();
  EXPECT_EQ(boxes, Lines{});
  tick();
  EXPECT_EQ(boxes, Lines{"ERROR: HTTP/1.1 404 Not Found."});
  EXPECT_EQ(statusAtBox, Lines{kCheckRunningStatus});
  const Lines versions = versionRequests(0);
  EXPECT_EQ(test::requestSummary(server), Lines(versions.begin(), versions.begin() + 4));
  // Texts fetched before the failure are shown, all in red, the rest "0".
  EXPECT_EQ(captions(kServerLabels), (Lines{"5", "9", "2", "0", "0"}));
  EXPECT_EQ(blueLabels(), Lines{});
  EXPECT_EQ(enabledButtons(), kUpdateButtons);
  EXPECT_EQ(form->memoLines(), Lines{});
  EXPECT_EQ(form->status(), kCheckRunningStatus);
  EXPECT_FALSE(std::filesystem::exists(localFile("duyuru.txt")));
  EXPECT_TRUE(form->versionCheckDone);

  // The real clock goes on ticking and never runs the check again.
  const std::string time = form->caption("Label10");
  EXPECT_TRUE(spinUntil([&] { return form->caption("Label10") != time; }, 3000));
  spinFor(1100);
  EXPECT_EQ(server.connectionsAccepted(), 4);
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(StartupSequence, MissingAnnouncementOnTheFirstRunNamesTheMissingLocalFile) {
  provideStartupFiles();
  serveVersions({"5", "9", "2", "fg", "7", "3"});
  server.addConnection(answering({notFound()}));

  formCreate();
  tick();
  // The download's own failure is replaced by that of loading the file.
  EXPECT_EQ(boxes, Lines{"ERROR: Cannot open file \"" + localFile("duyuru.txt") +
                         "\". No such file or directory."});
  EXPECT_EQ(test::requestSummary(server),
            versionRequests(0) + Lines{"6 configured GET /2024/duyuru.txt HTTP/1.1"});
  EXPECT_EQ(captions(kServerLabels), (Lines{"5", "9", "2", "7", "3"}));
  EXPECT_EQ(blueLabels(), (Lines{"Label21", "Label23", "Label25", "Label26"}));
  EXPECT_EQ(enabledButtons(), kUpdateButtons);
  EXPECT_EQ(form->memoLines(), Lines{});
  EXPECT_EQ(form->status(), kCheckRunningStatus);
  EXPECT_FALSE(std::filesystem::exists(localFile("duyuru.txt")));
}

TEST_F(StartupSequence, MissingAnnouncementKeepsTheEarlierOneInTheMemo) {
  provideStartupFiles();
  const std::string earlier = utf8ToCp1254("Eski duyuru\r\nŞubat");
  test::writeFile(folder.file("duyuru.txt"), earlier);
  serveVersions({"5", "9", "2", "fg", "7", "3"});
  server.addConnection(answering({notFound()}));

  formCreate();
  tick();
  // The memo and the status line are set before the download's error shows.
  EXPECT_EQ(boxes, Lines{"ERROR: HTTP/1.1 404 Not Found."});
  EXPECT_EQ(statusAtBox, Lines{kCheckDoneStatus});
  ASSERT_EQ(memoAtBox.size(), 1u);
  EXPECT_EQ(memoAtBox[0], (Lines{"Eski duyuru", "Şubat"}));
  EXPECT_EQ(form->memoLines(), (Lines{"Eski duyuru", "Şubat"}));
  EXPECT_EQ(form->status(), kCheckDoneStatus);
  EXPECT_EQ(test::readFile(localFile("duyuru.txt")), earlier);
  EXPECT_EQ(enabledButtons(), kUpdateButtons);
}

TEST_F(StartupSequence, FolderNamedLikeTheAnnouncementCannotBeLoaded) {
  provideStartupFiles();
  std::filesystem::create_directory(folder.file("duyuru.txt"));
  serveVersions({"5", "9", "2", "fg", "7", "3"});
  server.addConnection(answering({notFound()}));

  formCreate();
  tick();
  EXPECT_EQ(boxes,
            Lines{"ERROR: Cannot open file \"" + localFile("duyuru.txt") + "\". Is a directory."});
  EXPECT_EQ(form->memoLines(), Lines{});
  EXPECT_EQ(form->status(), kCheckRunningStatus);
}

TEST_F(StartupSequence, NoConnectionAtStartLeavesAStillClockAndOnlyYazdirSil) {
  connectivity.set("offline");
  formCreate();
  EXPECT_EQ(boxes, Lines{kNoConnection});
  EXPECT_EQ(installedCaptions(), (Lines{"5", "Yok", "2", "7", "3"}));
  EXPECT_EQ(captions(kServerLabels), (Lines{"0", "0", "0", "0", "0"}));
  EXPECT_EQ(enabledButtons(), Lines{});
  EXPECT_EQ(form->memoLines(), Lines{"Memo1"});
  EXPECT_FALSE(timerRunning());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  const std::string time = form->caption("Label10");
  spinFor(1300);
  EXPECT_EQ(form->caption("Label10"), time);
  EXPECT_FALSE(form->versionCheckDone);
  EXPECT_EQ(server.connectionsAccepted(), 0);

  Lines clicked;
  for (const std::string& button : kUpdateButtons + Lines{"BitBtn8"}) {
    form->setClickHandler(button, [&clicked, button] { clicked.push_back(button); });
    form->findChild<QPushButton*>(QString::fromStdString(button))->click();
  }
  EXPECT_EQ(clicked, Lines{"BitBtn8"});
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(StartupSequence, ConnectionLostBeforeTheFirstTickLeavesTheButtonsLocked) {
  provideStartupFiles();
  formCreate();
  EXPECT_EQ(boxes, Lines{});
  connectivity.set("offline");
  tick();
  EXPECT_EQ(boxes, Lines{kNoConnection});
  EXPECT_EQ(enabledButtons(), Lines{});
  EXPECT_EQ(captions(kServerLabels), (Lines{"0", "0", "0", "0", "0"}));
  EXPECT_EQ(form->memoLines(), Lines{});
  EXPECT_EQ(form->status(), kLocalCheckStatus);
  EXPECT_TRUE(form->versionCheckDone);
  connectivity.set("online");
  tick();
  EXPECT_EQ(server.connectionsAccepted(), 0);
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(StartupSequence, FailedLibraryFetchSkipsTheLogoAndTheRealClockStillRunsTheCheck) {
  server.addConnection({Server::request(),
                        Server::send(test::httpAnswer("HTTP/1.1 404 Not Found",
                                                      {"Content-Length: 0", "Connection: close"})),
                        Server::close()});
  serveVersions({"5", "9", "2", "fg", "7", "3"});
  server.addConnection(answering({test::okAnswer(kAnnouncement)}));

  formCreate();
  EXPECT_EQ(boxes, Lines{"ERROR: HTTP/1.1 404 Not Found."});
  EXPECT_EQ(test::requestSummary(server), Lines{"0 configured GET //7z.so HTTP/1.1"});
  EXPECT_FALSE(std::filesystem::exists(localFile("7z.so")));
  EXPECT_FALSE(std::filesystem::exists(localFile("logo1024.png")));
  EXPECT_TRUE(timerRunning());
  EXPECT_EQ(form->memoLines(), Lines{"Memo1"});
  EXPECT_FALSE(form->versionCheckDone);
  EXPECT_EQ(captions(kServerLabels), (Lines{"0", "0", "0", "0", "0"}));
  EXPECT_EQ(enabledButtons(), Lines{});

  ASSERT_TRUE(spinUntil([&] { return form->status() == kCheckDoneStatus; }, 5000));
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(test::requestSummary(server), Lines{"0 configured GET //7z.so HTTP/1.1"} +
                                              versionRequests(1) +
                                              Lines{"7 configured GET /2024/duyuru.txt HTTP/1.1"});
  expectCheckDone({"5", "9", "2", "7", "3"}, {"Label21", "Label23", "Label25", "Label26"});
}

TEST_F(StartupSequence, FileNamedUpdateIsNotReportedAtStartUp) {
  provideStartupFiles();
  test::writeFile(folder.file("update"), "not a folder");
  formCreate();
  EXPECT_EQ(boxes, Lines{});
  EXPECT_EQ(test::readFile(localFile("update")), "not a folder");
  EXPECT_EQ(form->updateDir, localFile("update"));
  EXPECT_TRUE(std::filesystem::is_directory(localFile("report")));
  expectStartedAndWaitingForTheFirstTick();
}

TEST_F(StartupSequence, UnreachableDatabaseStopsBeforeTheVersionLabels) {
  test::writeSettingsFile(folder.file("zkayarlar.ini"), test::firebirdServerAddress(),
                          folder.file("no-such.fdb"));
  formCreate();
  EXPECT_EQ(boxes, Lines{"ERROR: ib1: Field 'yil' not found."});
  EXPECT_EQ(form->caption("Label13"), "Label13");
  EXPECT_EQ(form->caption("Label21"), "Label21");
  EXPECT_EQ(form->caption("Label20"), "Label20");
  EXPECT_EQ(form->caption("Label2"), "2020");
  EXPECT_EQ(form->status(), "Lisans Yılı Alınıyor.");
  EXPECT_EQ(enabledButtons(), Lines{});
  EXPECT_FALSE(timerRunning());
  EXPECT_EQ(form->memoLines(), Lines{"Memo1"});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(server.connectionsAccepted(), 0);
}

TEST_F(StartupSequence, UnreadableVersionFileStopsBeforeTheConnectivityTest) {
  std::filesystem::remove(folder.file("verrp.txt"));
  std::filesystem::create_directory(folder.file("verrp.txt"));
  connectivity.set("offline");
  formCreate();
  // No connectivity message: the sequence ended before it.
  EXPECT_EQ(boxes, Lines{"ERROR: File access denied."});
  EXPECT_EQ(installedCaptions(), (Lines{"5", "0", "0", "0", "0"}));
  EXPECT_EQ(form->caption("Label20"), currentDateText());
  EXPECT_EQ(enabledButtons(), Lines{});
  EXPECT_FALSE(timerRunning());
  EXPECT_EQ(form->memoLines(), Lines{"Memo1"});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace zk
