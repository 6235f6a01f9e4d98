// Streamed downloads against what only Linux lets a test provoke: a really
// full disk and a program killed in the middle of its download.
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
#include "tests/transfer/download_streaming_fixture.h"
#include "transfer/download_file.h"

namespace zk {
namespace {

using test::httpAnswer;
using test::okAnswer;
using Server = test::ScriptedHttpServer;

using test::failureOf;
using test::namesIn;
using test::patterned;
using DownloadStreamingPosixTest = test::DownloadStreamingTest;

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

TEST_F(DownloadStreamingPosixTest, FullDiskFailsTheWriteAndTheNextGetConnectsAnew) {
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

TEST_F(DownloadStreamingPosixTest, LeftoversOfAKilledDownloadAreRemovedByTheNext) {
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

  downloadThenExpectOnly(body, kept);
}

}  // namespace
}  // namespace zk
