#include "versions/server_version_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/text_encoding.h"
#include "platform/files.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/recording_ui.h"
#include "tests/support/request_summary.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"
#include "transfer/download_file.h"
#include "transfer/http_client.h"

// The server version check over a real loopback server, with the window's
// controls held by the recorder: these run in the Windows suite too, where
// the real window is not built.
namespace zk {
namespace {

using Lines = std::vector<std::string>;
using Server = test::ScriptedHttpServer;

Server::Script answering(const std::string& answer) {
  return {Server::request(), Server::send(answer)};
}

std::string notFound() {
  return test::httpAnswer("HTTP/1.1 404 Not Found", {"Content-Length: 9"}, "not found");
}

// The announcement, with every kind of line end and Turkish letters.
const std::string kAnnouncement = utf8ToCp1254("Yeni sürüm çıktı\r\nİkinci satır\nSon");

class ServerVersionCheck : public ::testing::Test {
 protected:
  ServerVersionCheck() : online_("ZK_CONNECTIVITY", "online"), inFolder_(folder_.path()) {
    // The installed versions as the start-up put them into the labels.
    for (const char* label : {"Label13", "Label14", "Label15", "Label17", "Label18"}) {
      ui_.setCaption(label, "26");
    }
  }

  void run() {
    HttpClient client;
    applyConfiguredClientSettings(client);
    Button1Click(ui_, server_.url("/2024/"), [&](const std::string& url, const std::string& path) {
      DownloadFile(client, ui_, url, path);
    });
  }

  std::string localFile(const std::string& name) { return platform::localPath(name); }

  test::TempFolder folder_;
  test::ScopedEnvironment online_;
  test::ScopedWorkingDirectory inFolder_;
  Server server_;
  test::RecordingUi ui_;
};

TEST_F(ServerVersionCheck, SixTextsInOrderEqualOnesBlueThenTheAnnouncementInTheMemo) {
  const char* texts[] = {"26", "27", "26", "Ek", "26", "25"};
  for (const char* text : texts) {
    server_.addConnection(answering(test::okAnswer(text)));
  }
  server_.addConnection(answering(test::okAnswer(kAnnouncement)));

  run();

  EXPECT_EQ(
      test::requestSummary(server_),
      (Lines{"0 default GET /2024/verzk.txt HTTP/1.1", "1 default GET /2024/vermb.txt HTTP/1.1",
             "2 default GET /2024/verpr.txt HTTP/1.1", "3 default GET /2024/verfg.txt HTTP/1.1",
             "4 default GET /2024//verrp.txt HTTP/1.1", "5 default GET /2024/verdl.txt HTTP/1.1",
             "6 configured GET /2024/duyuru.txt HTTP/1.1"}));
  // verzk, vermb, verpr, verrp and verdl go to Label21, 22, 23, 25 and 26;
  // verfg has no label of its own.
  EXPECT_EQ(ui_.caption("Label21"), "26");
  EXPECT_EQ(ui_.fontColor("Label21"), colors::kBlue);
  EXPECT_EQ(ui_.caption("Label22"), "27");
  EXPECT_NE(ui_.fontColor("Label22"), colors::kBlue);
  EXPECT_EQ(ui_.fontColor("Label23"), colors::kBlue);
  EXPECT_EQ(ui_.fontColor("Label25"), colors::kBlue);
  EXPECT_EQ(ui_.caption("Label26"), "25");
  EXPECT_NE(ui_.fontColor("Label26"), colors::kBlue);
  for (const char* button : {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn7"}) {
    EXPECT_TRUE(ui_.isEnabled(button)) << button;
  }
  EXPECT_EQ(ui_.memo, (Lines{"Yeni sürüm çıktı", "İkinci satır", "Son"}));
  EXPECT_EQ(test::readFile(localFile("duyuru.txt")), kAnnouncement);
  EXPECT_EQ(ui_.status(), "Sunucu Versiyon kontrolleri Yapıldı.");
}

TEST_F(ServerVersionCheck, MissingTextStopsTheCheckButStillUnlocksTheButtons) {
  server_.addConnection(answering(test::okAnswer("26")));
  server_.addConnection(answering(notFound()));
  for (const char* button : {"BitBtn1", "BitBtn2"}) {
    ui_.setEnabled(button, false);
  }
  ui_.memo = {"earlier"};

  EXPECT_THROW(run(), HttpProtocolError);

  EXPECT_EQ(server_.requests().size(), 2u);
  EXPECT_TRUE(ui_.isEnabled("BitBtn1"));
  EXPECT_TRUE(ui_.isEnabled("BitBtn2"));
  EXPECT_EQ(ui_.memo, Lines{"earlier"});
  EXPECT_FALSE(std::filesystem::exists(localFile("duyuru.txt")));
}

TEST_F(ServerVersionCheck, MissingAnnouncementShowsTheEarlierOneThenFails) {
  for (int i = 0; i < 6; ++i) {
    server_.addConnection(answering(test::okAnswer("26")));
  }
  server_.addConnection(answering(notFound()));
  const std::string earlier = utf8ToCp1254("Eski duyuru\r\nŞubat");
  test::writeFile(localFile("duyuru.txt"), earlier);

  EXPECT_THROW(run(), HttpProtocolError);

  EXPECT_EQ(ui_.memo, (Lines{"Eski duyuru", "Şubat"}));
  EXPECT_EQ(test::readFile(localFile("duyuru.txt")), earlier);
  EXPECT_EQ(ui_.status(), "Sunucu Versiyon kontrolleri Yapıldı.");
}

TEST_F(ServerVersionCheck, MissingAnnouncementOnTheFirstRunNamesTheFileAndTheSystemsReason) {
  for (int i = 0; i < 6; ++i) {
    server_.addConnection(answering(test::okAnswer("26")));
  }
  server_.addConnection(answering(notFound()));
  std::filesystem::create_directory(localFile("duyuru.txt"));

  try {
    run();
    FAIL() << "a folder was loaded as the announcement";
  } catch (const Error& error) {
    const std::string prefix = "Cannot open file \"" + localFile("duyuru.txt") + "\". ";
    ASSERT_EQ(std::string(error.message()).substr(0, prefix.size()), prefix);
    // The system's own words, without a closing full stop.
    const std::string reason = error.message().substr(prefix.size());
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(reason.back(), '.');
  }
  EXPECT_TRUE(ui_.memo.empty());
}

}  // namespace
}  // namespace zk
