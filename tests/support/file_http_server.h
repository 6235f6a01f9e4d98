#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_listener.h"

namespace zk::test {

// A loopback HTTP/1.1 server on an ephemeral port that answers GET requests
// with the files below a folder, like a plain web server (repeated "/" in a
// target count as one, connections are kept alive), except for the targets
// given a fault: those are cut off half way through a body of announced
// length, or answered with a server error.
class FileHttpServer {
 public:
  enum class Fault { CutHalfway, ServerError };

  explicit FileHttpServer(std::string root);
  ~FileHttpServer();
  FileHttpServer(const FileHttpServer&) = delete;
  FileHttpServer& operator=(const FileHttpServer&) = delete;

  // target: the request path with single slashes, e.g. "/2027/zelvak.rar".
  void setFault(const std::string& target, Fault fault);

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + target.
  std::string url(const std::string& target) const;
  // The targets requested so far (slashes collapsed), in order.
  std::vector<std::string> requestedTargets() const;

 private:
  void acceptLoop();
  void serve(SocketHandle fd);
  void answer(SocketHandle fd, const std::string& target, bool& keepOpen);

  std::string root_;
  SocketHandle listenFd_ = kNoSocket;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::map<std::string, Fault> faults_;
  std::vector<std::string> requested_;
  std::vector<std::thread> workers_;
};

}  // namespace zk::test
