// DownloadFile writes the body as it arrives into a replacement beside the
// target: whatever goes wrong on the way, the target keeps its old bytes and
// no replacement is left behind.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>

#include "core/error.h"
#include "platform/files.h"
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

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>('a' + i % 23);
  }
  return bytes;
}

class DownloadStreamingTest : public ::testing::Test {
 protected:
  DownloadStreamingTest() { applyConfiguredClientSettings(IdHTTP1); }
  test::TempFolder folder;
  test::RecordingUi ui;
  HttpClient IdHTTP1;
  Server server;
};

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
  EXPECT_EQ(failureOf([&] {
              DownloadFile(IdHTTP1, ui, server.url("/mobil.rar"), folder.file("mobil.rar"));
            }),
            "Socket Error # 10054\r\nConnection reset by peer.");
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
  ui.onPump = [&] { std::filesystem::remove_all(folder.file("update")); };
  EXPECT_EQ(failureOf([&] { DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), target); }),
            "Cannot create file \"" + target + "\". No such file or directory");
  EXPECT_TRUE(namesIn(folder.path()).empty());
  // The request itself completed: the connection serves the next GET.
  EXPECT_TRUE(IdHTTP1.connected());
}

// A small file system of its own makes the disk really full. Mounting needs
// the right to; where it is missing the file size limit of
// download_file_test stands in for a full disk.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const std::string& path) : path_(path) {
    std::filesystem::create_directories(path);
    mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) {
      ::umount2(path_.c_str(), MNT_DETACH);
    }
  }
  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST_F(DownloadStreamingTest, FullDiskFailsTheWriteAndTheNextGetConnectsAnew) {
  SmallFileSystem disk(folder.file("small"));
  if (!disk.mounted()) {
    GTEST_SKIP() << "no right to mount a small file system here";
  }
  const std::string target = folder.file("small") + "/zelvak.rar";
  test::writeFile(target, "previous");
  const std::string body = patterned(1024 * 1024);
  server.addConnection({Server::request(), Server::send(okAnswer(body)), Server::request(),
                        Server::send(okAnswer("unused"))});
  server.addConnection({Server::request(), Server::send(okAnswer("verrp"))});
  EXPECT_EQ(failureOf([&] { DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), target); }),
            "Stream write error");
  EXPECT_EQ(test::readFile(target), "previous");
  EXPECT_EQ(namesIn(folder.file("small")), std::vector<std::string>{"zelvak.rar"});
  // The transfer stopped at the failure, not at the end of the body.
  EXPECT_LT(ui.progressPos, static_cast<std::int32_t>(body.size()));
  EXPECT_EQ(ui.caption("Label27"), "% 100");
  EXPECT_FALSE(IdHTTP1.connected());

  DownloadFile(IdHTTP1, ui, server.url("/verrp.txt"), folder.file("verrp.txt"));
  EXPECT_EQ(test::readFile(folder.file("verrp.txt")), "verrp");
  EXPECT_EQ(IdHTTP1.connectionsOpened(), 2);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].connection, 1);
}

TEST_F(DownloadStreamingTest, LeftoversOfAKilledDownloadAreRemovedByTheNext) {
  const std::string body = patterned(100000);
  server.addConnection(
      {Server::request(),
       Server::send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + body.substr(0, 40000)),
       Server::pause(60000)});
  server.addConnection({Server::request(), Server::send(okAnswer(body))});
  test::writeFile(folder.file("zelvak.rar"), "previous");

  // A program killed in the middle of its download.
  const pid_t killed = ::fork();
  ASSERT_GE(killed, 0);
  if (killed == 0) {
    ui.onPump = [] { ::raise(SIGKILL); };
    try {
      DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
    } catch (...) {
    }
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(killed, &status, 0), killed);
  ASSERT_TRUE(WIFSIGNALED(status));
  const auto left = namesIn(folder.path());
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].rfind(".zelvak.rar." + std::to_string(killed) + "-", 0), 0u);
  EXPECT_EQ(left[1], "zelvak.rar");
  EXPECT_EQ(test::readFile(folder.file("zelvak.rar")), "previous");

  // Beside it: one of this process that nothing uses any more, one of a
  // program that still runs, one of another target, and other files that
  // only look alike.
  const std::string own = ".zelvak.rar." + std::to_string(::getpid()) + "-999999.zk-part";
  const std::vector<std::string> kept = {
      ".mobil.rar." + std::to_string(killed) + "-0.zk-part",
      ".zelvak.rar.1-0.zk-part",
      ".zelvak.rar." + std::to_string(killed) + "-x.zk-part",
      ".zelvak.rar.bak." + std::to_string(killed) + "-0.zk-part",
      "zelvak.rar." + std::to_string(killed) + "-0.zk-part",
  };
  test::writeFile(folder.file(own), "own");
  for (const std::string& name : kept) {
    test::writeFile(folder.file(name), "kept");
  }

  DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
  EXPECT_TRUE(test::readFile(folder.file("zelvak.rar")) == body);
  std::vector<std::string> expected = kept;
  expected.push_back("zelvak.rar");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesIn(folder.path()), expected);
}

}  // namespace
}  // namespace zk
