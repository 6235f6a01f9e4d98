#pragma once

// What the streamed-download tests share: a loopback server, the window's
// client and a folder of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"
#include "tests/support/recording_ui.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"
#include "transfer/download_file.h"
#include "transfer/http_client.h"

namespace zk::test {

template <typename F>
inline std::string failureOf(F action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "no failure";
}

inline std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>('a' + i % 23);
  }
  return bytes;
}

class DownloadStreamingTest : public ::testing::Test {
 protected:
  // Downloads `body` to zelvak.rar (the server's next answer), then expects
  // the folder to hold the target with exactly `kept` beside it.
  void downloadThenExpectOnly(const std::string& body, std::vector<std::string> kept) {
    DownloadFile(IdHTTP1, ui, server.url("/zelvak.rar"), folder.file("zelvak.rar"));
    EXPECT_TRUE(readFile(folder.file("zelvak.rar")) == body);
    kept.push_back("zelvak.rar");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(namesIn(folder.path()), kept);
  }

  DownloadStreamingTest() { applyConfiguredClientSettings(IdHTTP1); }
  TempFolder folder;
  RecordingUi ui;
  HttpClient IdHTTP1;
  ScriptedHttpServer server;
};

}  // namespace zk::test
