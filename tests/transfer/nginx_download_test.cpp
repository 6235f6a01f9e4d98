#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/support/recording_ui.h"
#include "tests/support/temp_folder.h"
#include "transfer/download_file.h"

namespace zk {
namespace {

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937_64 generator(seed);
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    const std::uint64_t value = generator();
    std::memcpy(bytes.data() + i, &value, 8);
  }
  return bytes;
}

// Two large archives from a real nginx through the window's client: both
// arrive whole, over one kept-alive connection.
TEST(NginxDownloadTest, TwoLargeFilesOnOneConnection) {
  const char* port = std::getenv("ZK_NGINX_PORT");
  const std::string root = test::hostPathFromEnvironment("ZK_NGINX_ROOT");
  if (port == nullptr || root.empty()) {
    GTEST_SKIP() << "ZK_NGINX_PORT is not set: run through scripts/test.sh, which starts nginx";
  }
  const std::string tag = "/dl-" + std::to_string(test::currentProcessId());
  const std::string folder = root + tag;
  std::filesystem::create_directories(folder);
  const std::string first = randomBytes(24 * 1024 * 1024 + 123, 1);
  const std::string second = randomBytes(40 * 1024 * 1024 + 7, 2);
  test::writeFile(folder + "/zelvak.rar", first);
  test::writeFile(folder + "/mobil.rar", second);

  test::TempFolder target;
  test::RecordingUi ui;
  HttpClient IdHTTP1;
  applyConfiguredClientSettings(IdHTTP1);
  const std::string base = "http://127.0.0.1:" + std::string(port) + tag + "/";
  DownloadFile(IdHTTP1, ui, base + "zelvak.rar", target.file("zelvak.rar"));
  DownloadFile(IdHTTP1, ui, base + "\\mobil.rar", target.file("mobil.rar"));
  std::filesystem::remove_all(folder);

  EXPECT_TRUE(test::readFile(target.file("zelvak.rar")) == first);
  EXPECT_TRUE(test::readFile(target.file("mobil.rar")) == second);
  EXPECT_EQ(IdHTTP1.connectionsOpened(), 1);
  EXPECT_TRUE(IdHTTP1.connected());
  EXPECT_EQ(ui.progressMax, static_cast<std::int32_t>(second.size()));
  EXPECT_EQ(ui.caption("Label27"), "% 100");
  // 40 MiB in 32 KiB blocks: one pump per block.
  EXPECT_GE(ui.pumps, static_cast<int>((first.size() + second.size()) / 32768));

  if (const std::string log = test::hostPathFromEnvironment("ZK_NGINX_ACCESS_LOG"); !log.empty()) {
    std::ifstream in(log);
    std::string line;
    std::vector<std::string> ours;
    while (std::getline(in, line)) {
      if (line.find(tag + "/") != std::string::npos) {
        ours.push_back(line);
      }
    }
    ASSERT_EQ(ours.size(), 2u);
    // "<connection> <request number on it> ...": the same connection, second request.
    const std::string connection = ours[0].substr(0, ours[0].find(' '));
    EXPECT_EQ(ours[1].substr(0, ours[1].find(' ')), connection);
    EXPECT_NE(ours[1].find(" 2 \"GET /dl-"), std::string::npos) << ours[1];
    EXPECT_NE(ours[1].find("//mobil.rar HTTP/1.1\" 200"), std::string::npos) << ours[1];
  }
}

}  // namespace
}  // namespace zk
