// DownloadFile writes the body as it arrives into a replacement beside the
// target: whatever goes wrong on the way, the target keeps its old bytes and
// no replacement is left behind.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>

#include "core/error.h"
#include "platform/files.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/file_access.h"
#include "tests/support/recording_ui.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"
#include "tests/transfer/download_streaming_fixture.h"
#include "transfer/download_file.h"

namespace zk {
namespace {

using test::httpAnswer;
using test::okAnswer;
using Server = test::ScriptedHttpServer;

using test::DownloadStreamingTest;
using test::failureOf;
using test::namesIn;
using test::patterned;

TEST_F(DownloadStreamingTest, CutTransfersLeaveTheTargetAndNoReplacement) {
  const std::string body = patterned(100000);
  const std::string counted = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n";
  const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  // Two chunks: 0x10000 bytes, then the remaining 0x86a0.
  const std::string chunks = "10000\r\n" + body.substr(0, 0x10000) + "\r\n86a0\r\n" +
                             body.substr(0x10000) + "\r\n0\r\n\r\n";
  struct Cut {
    const char* name;
    std::string bytes;
    std::string failure;
  };
  const std::vector<Cut> cuts = {
      {"counted, before the first body byte", counted, "Connection Closed Gracefully."},
      {"counted, mid-body", counted + body.substr(0, 50000), "Connection Closed Gracefully."},
      {"counted, one byte short", counted + body.substr(0, 99999), "Connection Closed Gracefully."},
      {"chunked, before the first body byte", chunked, "Connection Closed Gracefully."},
      {"chunked, mid-chunk", chunked + chunks.substr(0, 40000), "Connection Closed Gracefully."},
      {"chunked, between chunks", chunked + chunks.substr(0, chunks.find("86a0")),
       "Connection Closed Gracefully."},
      {"chunked, one data byte short", chunked + chunks.substr(0, chunks.rfind("\r\n0\r\n") - 1),
       "Connection Closed Gracefully."},
  };
  for (const Cut& cut : cuts) {
    server.addConnection({Server::request(), Server::send(cut.bytes), Server::close()});
  }
  // A transfer that stalls runs into the wait limit; a reset connection fails too.
  server.addConnection({Server::request(), Server::send(counted + body.substr(0, 70000))});
  server.addConnection({Server::request(), Server::send(counted + body.substr(0, 70000)),
                        Server::pause(50), Server::reset()});
  server.addConnection({Server::request(), Server::send(okAnswer(body))});

  test::writeFile(folder.file("zelvak.rar"), "previous");
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(cut.name);
    EXPECT_EQ(failureOf([&] {
                DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
              }),
              cut.failure);
    EXPECT_EQ(test::readFile(folder.file("zelvak.rar")), "previous");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"zelvak.rar"});
    EXPECT_FALSE(IdHTTP1.connected());
  }
  IdHTTP1.setReadTimeout(300);
  EXPECT_EQ(failureOf([&] {
              DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
            }),
            "Read Timeout");
  // Wine reports a reset as an orderly close; the download fails either way.
  EXPECT_EQ(failureOf([&] {
              DownloadFile(IdHTTP1, ui, server.url("/mobil.rar"), folder.file("mobil.rar"));
            }),
            test::runningUnderWine() ? "Connection Closed Gracefully."
                                     : "Socket Error # 10054\r\nConnection reset by peer.");
  EXPECT_EQ(test::readFile(folder.file("zelvak.rar")), "previous");
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"zelvak.rar"});

  // The client is left fit for the next download.
  DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
  EXPECT_TRUE(test::readFile(folder.file("zelvak.rar")) == body);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"zelvak.rar"});
  EXPECT_EQ(IdHTTP1.connectionsOpened(), static_cast<int>(cuts.size()) + 3);
}

TEST_F(DownloadStreamingTest, TheTargetChangesOnlyWhenTheBodyIsComplete) {
  const std::string body = patterned(200000);
  server.addConnection(
      {Server::request(),
       Server::send("HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n" + body.substr(0, 100000)),
       Server::pause(100), Server::send(body.substr(100000))});
  test::writeFile(folder.file("zelvak.rar"), "previous");
  std::vector<std::string> seenMidway;
  std::string targetMidway;
  ui.onPump = [&] {
    if (seenMidway.empty()) {
      seenMidway = namesIn(folder.path());
      targetMidway = test::readFile(folder.file("zelvak.rar"));
    }
  };
  DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
  // While the body came, it went to a replacement of the process's own name.
  ASSERT_EQ(seenMidway.size(), 2u);
  EXPECT_EQ(seenMidway[0].rfind(".zelvak.rar." + std::to_string(::getpid()) + "-", 0), 0u);
  EXPECT_EQ(targetMidway, "previous");
  EXPECT_TRUE(test::readFile(folder.file("zelvak.rar")) == body);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"zelvak.rar"});
}

TEST_F(DownloadStreamingTest, TargetFolderThatDisappearsMidDownload) {
  const std::string body = patterned(100000);
  server.addConnection({Server::request(),
                        Server::send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"),
                        Server::pause(50), Server::send(body)});
  ASSERT_TRUE(platform::createFolder(folder.file("update")));
  const std::string target = folder.file("update") + "/zelvak.rar";
  if (test::kOnWindows) {
    GTEST_SKIP() << "Windows keeps a folder while a file in it is open";
  }
  ui.onPump = [&] { std::filesystem::remove_all(folder.file("update")); };
  EXPECT_EQ(failureOf([&] { DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), target); }),
            "Cannot create file \"" + target + "\". No such file or directory");
  EXPECT_TRUE(namesIn(folder.path()).empty());
  // The request itself completed: the connection serves the next GET.
  EXPECT_TRUE(IdHTTP1.connected());
}

TEST_F(DownloadStreamingTest, LeftoverOfAProgramThatEndedIsRemovedByTheNextDownload) {
  // A process number that no program has any more.
  int ended = 0;
  {
    test::ChildProcess program(test::standInProgram());
    ended = program.pid();
  }
  const std::string body = patterned(5000);
  server.addConnection({Server::request(), Server::send(okAnswer(body))});
  const std::string leftover = ".zelvak.rar." + std::to_string(ended) + "-3.zk-part";
  const std::vector<std::string> kept = {
      ".mobil.rar." + std::to_string(ended) + "-0.zk-part",
      ".zelvak.rar." + std::to_string(test::currentProcessId()) + "x-0.zk-part",
      "zelvak.rar." + std::to_string(ended) + "-0.zk-part",
  };
  test::writeFile(folder.file(leftover), "cut");
  for (const std::string& name : kept) {
    test::writeFile(folder.file(name), "kept");
  }

  downloadThenExpectOnly(body, kept);
}

}  // namespace
}  // namespace zk
