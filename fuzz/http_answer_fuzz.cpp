// Feeds arbitrary server bytes to the HTTP client's answer reader through a
// socket that plays them back in pieces, then reports the server's close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/error.h"
#include "transfer/http_client.h"

namespace {

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position = 0;
};

class ReplaySocket : public zk::platform::StreamSocket {
 public:
  explicit ReplaySocket(Input& input) : input_(input) {}
  void sendAll(const char*, std::size_t) override {}
  std::size_t receive(char* buffer, std::size_t size) override {
    if (input_.position >= input_.size) {
      return 0;
    }
    // The first byte of every piece sets the piece's length, so that answers
    // split at every possible place are tried.
    const std::size_t piece = 1 + input_.data[input_.position++] * 67u;
    const std::size_t count = std::min({size, piece, input_.size - input_.position});
    std::memcpy(buffer, input_.data + input_.position, count);
    input_.position += count;
    return count;
  }
  bool waitReadable(int) override { return true; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }

 private:
  Input& input_;
  bool open_ = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  Input input{data + 1, size - 1};
  zk::HttpClient client;
  // The first byte picks the configuration.
  if (data[0] & 1) {
    zk::applyConfiguredClientSettings(client);
  }
  client.setConnector([&input](const std::string&, std::uint16_t) {
    return std::make_unique<ReplaySocket>(input);
  });
  std::int64_t lastCount = 0;
  client.OnWorkBegin = [&](zk::HttpClient&, zk::WorkMode, std::int32_t) { lastCount = 0; };
  client.OnWork = [&](zk::HttpClient&, zk::WorkMode, std::int32_t count) {
    if (count < lastCount) {
      __builtin_trap();  // running totals never go back within a series
    }
    lastCount = count;
  };
  for (int get = 0; get < 2; ++get) {
    std::string body;
    try {
      client.Get("http://fuzz.example/2020/zelvak.rar", body);
    } catch (const zk::Error&) {
    }
  }
  return 0;
}
