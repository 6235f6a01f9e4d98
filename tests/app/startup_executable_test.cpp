// The whole start-up of the built program in a prepared folder, against the
// real Firebird test server and a scripted update server.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/text_encoding.h"
#include "tests/support/firebird_server.h"
#include "tests/support/program_run.h"
#include "tests/support/request_summary.h"
#include "tests/support/running_program.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using Server = test::ScriptedHttpServer;
using Lines = std::vector<std::string>;

Server::Script answering(const Lines& answers) {
  Server::Script script;
  for (const std::string& answer : answers) {
    script.push_back(Server::request());
    script.push_back(Server::send(answer));
  }
  return script;
}

const Lines kVersionRequests = {"GET /2024/verzk.txt HTTP/1.1",  "GET /2024/vermb.txt HTTP/1.1",
                                "GET /2024/verpr.txt HTTP/1.1",  "GET /2024/verfg.txt HTTP/1.1",
                                "GET /2024//verrp.txt HTTP/1.1", "GET /2024/verdl.txt HTTP/1.1"};

class StartupExecutable : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::firebirdPort()) {
      GTEST_SKIP() << test::kNoFirebirdServer;
    }
    ASSERT_TRUE(std::filesystem::is_regular_file(test::programPath())) << test::programPath();
    ASSERT_TRUE(test::createDatabase(database.file("firma.fdb"), 3,
                                     "CREATE TABLE firmabilgi (yil INTEGER);"
                                     "INSERT INTO firmabilgi VALUES (2024);"));
    test::writeSettingsFile(folder.file("zkayarlar.ini"), test::firebirdServerAddress(),
                            database.file("firma.fdb"));
    test::writeFile(folder.file("verzk.txt"), "5");
    test::writeFile(folder.file("verrp.txt"), "7");
    test::writeFile(folder.file("verdl.txt"), "3");
  }

  std::map<std::string, std::string> environment(const std::string& connectivity) const {
    return {{"ZELVAK_UPDATE_ROOT", server.url("/")},
            {"ZK_CONNECTIVITY", connectivity},
            {"ZK_ARCHIVE_LIBRARY_FOLDERS", folder.path()}};
  }

  // The six version texts; the announcement too when the configured client
  // comes for it on a new connection.
  void serveVersions(bool announcementOnANewConnection) {
    for (const char* text : {"5", "9", "2", "fg", "7", "4"}) {
      server.addConnection(answering({test::okAnswer(text)}));
    }
    if (announcementOnANewConnection) {
      server.addConnection(answering({test::okAnswer(announcement)}));
    }
  }

  // The check's requests: six default clients, then the announcement.
  static Lines checkRequests(int firstConnection, int announcementConnection) {
    Lines lines;
    for (const std::string& request : kVersionRequests) {
      lines.push_back(std::to_string(firstConnection++) + " default " + request);
    }
    lines.push_back(std::to_string(announcementConnection) +
                    " configured GET /2024/duyuru.txt HTTP/1.1");
    return lines;
  }

  bool announcementArrived(std::size_t requests) const {
    return server.requests().size() == requests &&
           std::filesystem::exists(folder.file("duyuru.txt"));
  }

  const std::string announcement = utf8ToCp1254("Bugün güncelleme var\r\n");
  test::TempFolder database;
  test::TempFolder folder;
  Server server;
};

TEST_F(StartupExecutable, PreparedFolderFetchesTheStartFilesShowsTheWindowAndChecksOnce) {
  server.addConnection(answering({test::okAnswer("7-zip library"), test::okAnswer("png image"),
                                  test::okAnswer(announcement)}));
  serveVersions(false);

  test::RunningProgram program(folder.path(), environment("online"));
  ASSERT_TRUE(test::waitUntil([&] { return announcementArrived(9); }, 30000))
      << program.standardError();
  // A few more ticks of the clock: the check is not repeated and the program
  // goes on running.
  test::waitUntil([] { return false; }, 1500);
  EXPECT_TRUE(program.running());
  program.stop();

  Lines expected = {"0 configured GET //7z.so HTTP/1.1",
                    "0 configured GET //logo1024.png HTTP/1.1"};
  for (const std::string& line : checkRequests(1, 0)) {
    expected.push_back(line);
  }
  EXPECT_EQ(test::requestSummary(server), expected);
  EXPECT_EQ(server.connectionsAccepted(), 7);
  EXPECT_EQ(test::readFile(folder.file("7z.so")), "7-zip library");
  EXPECT_EQ(test::readFile(folder.file("logo1024.png")), "png image");
  EXPECT_EQ(test::readFile(folder.file("duyuru.txt")), announcement);
  EXPECT_TRUE(std::filesystem::is_directory(folder.file("update")));
  EXPECT_TRUE(std::filesystem::is_directory(folder.file("report")));
  const std::string errors = program.standardError();
  EXPECT_NE(errors.find("WINDOW SHOWN"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("ERROR: "), std::string::npos) << errors;
  EXPECT_EQ(errors.find("MESSAGE: "), std::string::npos) << errors;
}

TEST_F(StartupExecutable, FailedLibraryFetchIsShownBeforeTheWindowAndTheCheckStillRuns) {
  server.addConnection({Server::request(),
                        Server::send(test::httpAnswer("HTTP/1.1 404 Not Found",
                                                      {"Content-Length: 0", "Connection: close"})),
                        Server::close()});
  serveVersions(true);

  test::RunningProgram program(folder.path(), environment("online"));
  ASSERT_TRUE(test::waitUntil([&] { return announcementArrived(8); }, 30000))
      << program.standardError();
  program.stop();

  Lines expected = {"0 configured GET //7z.so HTTP/1.1"};
  for (const std::string& line : checkRequests(1, 7)) {
    expected.push_back(line);
  }
  EXPECT_EQ(test::requestSummary(server), expected);
  EXPECT_FALSE(std::filesystem::exists(folder.file("7z.so")));
  EXPECT_FALSE(std::filesystem::exists(folder.file("logo1024.png")));
  const std::string errors = program.standardError();
  const std::size_t box = errors.find("ERROR: HTTP/1.1 404 Not Found.\n");
  ASSERT_NE(box, std::string::npos) << errors;
  EXPECT_LT(box, errors.find("WINDOW SHOWN")) << errors;
  EXPECT_EQ(errors.find("ERROR: ", box + 1), std::string::npos) << errors;
}

TEST_F(StartupExecutable, NoConnectionShowsTheMessageThenTheWindowAndFetchesNothing) {
  const std::string shot = folder.file("window.png");
  auto settings = environment("offline");
  settings["ZK_SCREENSHOT"] = shot;
  settings["ZK_QUIT_AFTER_SCREENSHOT"] = "1";
  const test::ProgramResult run = test::runProgram(folder.path(), settings);
  EXPECT_EQ(run.exitCode, 0);
  const std::size_t message = run.standardError.find(
      "MESSAGE: Internet Bağlantınız yok. Bağlantı olmadan güncelleme gerçekleştirilemez.\n");
  ASSERT_NE(message, std::string::npos) << run.standardError;
  EXPECT_LT(message, run.standardError.find("WINDOW SHOWN")) << run.standardError;
  EXPECT_EQ(run.standardError.find("ERROR: "), std::string::npos) << run.standardError;
  EXPECT_EQ(server.connectionsAccepted(), 0);
  EXPECT_TRUE(std::filesystem::exists(shot));
  EXPECT_FALSE(std::filesystem::exists(folder.file("duyuru.txt")));
}

}  // namespace
}  // namespace zk
