#include <gtest/gtest.h>
#include <filesystem>

#include "core/error.h"
#include "platform/files.h"
#include "tests/support/file_access.h"
#include "tests/support/recording_ui.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"
#include "transfer/download_file.h"

namespace zk {
namespace {

using test::httpAnswer;
using test::okAnswer;
using Server = test::ScriptedHttpServer;

template <typename F>
std::string failureOf(F action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "no failure";
}

std::vector<std::string> label27History(const test::RecordingUi& ui) {
  std::vector<std::string> captions;
  for (const std::string& entry : ui.captionHistory) {
    if (entry.rfind("Label27=", 0) == 0) {
      captions.push_back(entry.substr(8));
    }
  }
  return captions;
}

std::size_t filesIn(const std::string& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
    ++count;
  }
  return count;
}

// The path with Windows's separators, as the full path of a file comes out there.
std::string windowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') {
      c = '\\';
    }
  }
  return path;
}

class DownloadFileTest : public ::testing::Test {
 protected:
  DownloadFileTest() { applyConfiguredClientSettings(IdHTTP1); }
  test::TempFolder folder;
  test::RecordingUi ui;
  HttpClient IdHTTP1;
  Server server;
};

TEST_F(DownloadFileTest, StoresTheBodyAndMovesTheBar) {
  const std::string body(70000, 'z');
  server.addConnection({Server::request(), Server::send(okAnswer(body)), Server::request(),
                        Server::send(okAnswer("second"))});
  DownloadFile(IdHTTP1, ui, server.url("/2020/zelvak.rar"), folder.file("zelvak.rar"));
  EXPECT_EQ(test::readFile(folder.file("zelvak.rar")), body);
  EXPECT_EQ(ui.progressMax, 70000);
  EXPECT_EQ(ui.progressPos, 70000);
  const auto captions = label27History(ui);
  ASSERT_GE(captions.size(), 3u);
  EXPECT_EQ(captions.front(), "% 0");
  EXPECT_EQ(captions[captions.size() - 2], "% 100");
  EXPECT_EQ(captions.back(), "% 100");
  EXPECT_EQ(ui.pumps, ui.progressRepaints);
  EXPECT_EQ(ui.pumps, static_cast<int>(captions.size()) - 2);

  // The next download starts again from an empty bar.
  ui.captionHistory.clear();
  DownloadFile(IdHTTP1, ui, server.url("/2020/verrp.txt"), folder.file("verrp.txt"));
  EXPECT_EQ(label27History(ui), (std::vector<std::string>{"% 0", "% 100", "% 100"}));
  EXPECT_EQ(test::readFile(folder.file("verrp.txt")), "second");
  EXPECT_EQ(filesIn(folder.path()), 2u);
}

TEST_F(DownloadFileTest, FailedRequestLeavesTargetsAlone) {
  server.addConnection(
      {Server::request(),
       Server::send(httpAnswer("HTTP/1.1 404 Not Found", {"Content-Length: 9"}, "not here!")),
       Server::request(),
       Server::send(httpAnswer("HTTP/1.1 404 Not Found", {"Content-Length: 9"}, "not here!"))});
  const std::string old("old \0 bytes\r\n", 13);
  test::writeFile(folder.file("zelvak.rar"), old);
  EXPECT_EQ(failureOf([&] {
              DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
            }),
            "HTTP/1.1 404 Not Found");
  EXPECT_EQ(test::readFile(folder.file("zelvak.rar")), old);
  // The bar ran through the error body before the failure came out.
  EXPECT_EQ(label27History(ui), (std::vector<std::string>{"% 0", "% 100", "% 100"}));

  EXPECT_EQ(failureOf([&] {
              DownloadFile(IdHTTP1, ui, server.url("/mobil.rar"), folder.file("mobil.rar"));
            }),
            "HTTP/1.1 404 Not Found");
  EXPECT_FALSE(platform::fileExists(folder.file("mobil.rar")));
  EXPECT_EQ(filesIn(folder.path()), 1u);
}

TEST_F(DownloadFileTest, EmptyBodyTruncatesAndKeepsPermissions) {
  server.addConnection({Server::request(), Server::send(okAnswer(""))});
  test::writeFile(folder.file("verrp.txt"), "12345");
  // Windows files carry no mode bits: there the rights read back as before
  // is all there is to compare.
  namespace fs = std::filesystem;
  fs::permissions(folder.file("verrp.txt"), fs::perms(0640));
  const fs::perms before = fs::status(folder.file("verrp.txt")).permissions();
  if (!test::kOnWindows) {
    EXPECT_EQ(before, fs::perms(0640));
  }
  DownloadFile(IdHTTP1, ui, server.url("/verrp.txt"), folder.file("verrp.txt"));
  EXPECT_EQ(test::readFile(folder.file("verrp.txt")), "");
  EXPECT_EQ(fs::status(folder.file("verrp.txt")).permissions(), before);
  EXPECT_EQ(filesIn(folder.path()), 1u);
}

TEST_F(DownloadFileTest, MissingFolderCannotBeCreated) {
  server.addConnection({Server::request(), Server::send(okAnswer("data"))});
  test::ScopedWorkingDirectory inFolder(folder.path());
  EXPECT_EQ(failureOf([&] {
              DownloadFile(IdHTTP1, ui, server.url("/x.rar"), "update/../missing/x.rar");
            }),
            test::kOnWindows
                ? "Cannot create file \"" + windowsPath(folder.path() + "/missing/x.rar") + "\". " +
                      test::systemErrorText(3)  // ERROR_PATH_NOT_FOUND
                : "Cannot create file \"" + folder.path() +
                      "/missing/x.rar\". No such file or directory");
  EXPECT_EQ(filesIn(folder.path()), 0u);
}

TEST_F(DownloadFileTest, ShortWriteLeavesTheTargetAsItWas) {
  server.addConnection({Server::request(), Server::send(okAnswer(std::string(20000, 'n')))});
  test::writeFile(folder.file("zelvak.rar"), "previous");
  if (!test::ScopedFileSizeLimit::available) {
    GTEST_SKIP() << "Windows has no file size limit to make a write stop short";
  }
  // A file size limit makes the write stop short, as a full disk would.
  std::string failure;
  {
    test::ScopedFileSizeLimit limit(4096);
    failure = failureOf(
        [&] { DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar")); });
  }
  EXPECT_EQ(failure, "Stream write error");
  EXPECT_EQ(test::readFile(folder.file("zelvak.rar")), "previous");
  EXPECT_EQ(filesIn(folder.path()), 1u);
}

TEST(WorkHandlersTest, PercentageFollowsThePosition) {
  test::RecordingUi ui;
  HttpClient sender;
  IdHTTP1WorkBegin(ui, sender, WorkMode::Read, 1000);
  for (int count : {300, 600, 1000}) {
    IdHTTP1Work(ui, sender, WorkMode::Read, count);
  }
  IdHTTP1WorkEnd(ui, sender, WorkMode::Read);
  EXPECT_EQ(label27History(ui),
            (std::vector<std::string>{"% 0", "% 30", "% 60", "% 100", "% 100"}));
  EXPECT_EQ(ui.pumps, 3);
  EXPECT_EQ(ui.progressRepaints, 3);
}

TEST(WorkHandlersTest, ZeroMaximumAndLargeTotals) {
  test::RecordingUi ui;
  HttpClient sender;
  IdHTTP1WorkBegin(ui, sender, WorkMode::Read, 0);
  IdHTTP1Work(ui, sender, WorkMode::Read, 32768);
  IdHTTP1Work(ui, sender, WorkMode::Write, 65536);
  EXPECT_EQ(ui.progressPos, 0);
  IdHTTP1WorkEnd(ui, sender, WorkMode::Read);
  EXPECT_EQ(label27History(ui), (std::vector<std::string>{"% 0", "% 0", "% 0", "% 100"}));

  test::RecordingUi big;
  IdHTTP1WorkBegin(big, sender, WorkMode::Read, 2000000000);
  IdHTTP1Work(big, sender, WorkMode::Read, 1999999999);
  EXPECT_EQ(big.caption("Label27"), "% 99");
  IdHTTP1Work(big, sender, WorkMode::Read, 2100000000);  // held at the maximum
  EXPECT_EQ(big.caption("Label27"), "% 100");
}

}  // namespace
}  // namespace zk
