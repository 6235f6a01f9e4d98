#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_listener.h"

namespace zk::test {

// A loopback HTTP server on an ephemeral port that plays one script per
// accepted connection (in the order the connections come) and records every
// request head it reads, with the connection it came on.
class ScriptedHttpServer {
 public:
  struct Step {
    enum class Kind { ReadRequest, Send, Pause, Close, Reset };
    Kind kind;
    std::string bytes;
    int milliseconds = 0;
  };
  using Script = std::vector<Step>;

  // Reads one request head (up to the empty line) and records it.
  static Step request() { return {Step::Kind::ReadRequest, {}, 0}; }
  static Step send(std::string bytes) { return {Step::Kind::Send, std::move(bytes), 0}; }
  static Step pause(int milliseconds) { return {Step::Kind::Pause, {}, milliseconds}; }
  // Shuts the connection down and closes it. A script without it keeps the
  // connection open until the client closes it (recording any further
  // request) or the server goes.
  static Step close() { return {Step::Kind::Close, {}, 0}; }
  // Aborts the connection: the client sees a reset.
  static Step reset() { return {Step::Kind::Reset, {}, 0}; }

  ScriptedHttpServer();
  ~ScriptedHttpServer();
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  // A connection for which no script was added is closed at once.
  void addConnection(Script script);

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + target.
  std::string url(const std::string& target) const;

  struct Request {
    int connection;
    std::string raw;
  };
  std::vector<Request> requests() const;
  int connectionsAccepted() const;
  // Waits until the script of that connection has run to its end (the
  // connection closed or held); false when it did not within the time.
  bool waitForScriptEnd(int connection, int timeoutMs = 5000);
  // Waits until the client closed that connection.
  bool waitForClientClose(int connection, int timeoutMs = 5000);

 private:
  void acceptLoop();
  void serve(int connection, SocketHandle fd);
  bool readRequest(int connection, SocketHandle fd, std::string& pending);

  SocketHandle listenFd_ = kNoSocket;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Script> scripts_;
  std::vector<Request> requests_;
  std::vector<std::thread> workers_;
  std::vector<bool> scriptEnded_;
  std::vector<bool> clientClosed_;
};

// An answer head with the given status line and header lines, each followed
// by CR LF, then the empty line, then the body.
std::string httpAnswer(const std::string& statusLine, const std::vector<std::string>& headers,
                       const std::string& body = "");
// "HTTP/1.1 200 OK" with Content-Length and the body.
std::string okAnswer(const std::string& body);

}  // namespace zk::test
