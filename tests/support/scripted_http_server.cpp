#include "tests/support/scripted_http_server.h"
#include "tests/support/loopback_listener.h"

#include <chrono>
#include <stdexcept>

namespace zk::test {

namespace {

constexpr int kPollMs = 20;

}  // namespace

ScriptedHttpServer::ScriptedHttpServer() {
  listenFd_ = listenOnLoopback(port_);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
  stopping_ = true;
  acceptor_.join();
  joinWorkers(mutex_, workers_);
  closeSocket(listenFd_);
}

void ScriptedHttpServer::addConnection(Script script) {
  std::lock_guard<std::mutex> lock(mutex_);
  scripts_.push_back(std::move(script));
}

std::string ScriptedHttpServer::url(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<ScriptedHttpServer::Request> ScriptedHttpServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int ScriptedHttpServer::connectionsAccepted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(scriptEnded_.size());
}

bool ScriptedHttpServer::waitForScriptEnd(int connection, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return connection < static_cast<int>(scriptEnded_.size()) && scriptEnded_[connection];
  });
}

bool ScriptedHttpServer::waitForClientClose(int connection, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return connection < static_cast<int>(clientClosed_.size()) && clientClosed_[connection];
  });
}

void ScriptedHttpServer::acceptLoop() {
  while (!stopping_) {
    if (!waitReadable(listenFd_, kPollMs)) {
      continue;
    }
    const SocketHandle fd = acceptConnection(listenFd_);
    if (fd == kNoSocket) {
      continue;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const int connection = static_cast<int>(scriptEnded_.size());
    scriptEnded_.push_back(false);
    clientClosed_.push_back(false);
    workers_.emplace_back([this, connection, fd] { serve(connection, fd); });
  }
}

// Reads up to and including the empty line that ends a request head; bytes
// after it stay in `pending`. False when the client closed or the server
// stops first.
bool ScriptedHttpServer::readRequest(int connection, SocketHandle fd, std::string& pending) {
  for (;;) {
    const std::size_t end = pending.find("\r\n\r\n");
    if (end != std::string::npos) {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back({connection, pending.substr(0, end + 4)});
      pending.erase(0, end + 4);
      changed_.notify_all();
      return true;
    }
    if (stopping_) {
      return false;
    }
    if (!waitReadable(fd, kPollMs)) {
      continue;
    }
    char buffer[4096];
    const long got = receiveSome(fd, buffer, sizeof buffer);
    if (got <= 0) {
      std::lock_guard<std::mutex> lock(mutex_);
      clientClosed_[connection] = true;
      changed_.notify_all();
      return false;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
  }
}

void ScriptedHttpServer::serve(int connection, SocketHandle fd) {
  Script script;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connection < static_cast<int>(scripts_.size())) {
      script = scripts_[connection];
    }
  }
  bool open = !script.empty();
  std::string pending;
  for (const Step& step : script) {
    if (!open) {
      break;
    }
    switch (step.kind) {
      case Step::Kind::ReadRequest:
        open = readRequest(connection, fd, pending);
        break;
      case Step::Kind::Send:
        open = sendAll(fd, step.bytes);
        break;
      case Step::Kind::Pause:
        for (int waited = 0; waited < step.milliseconds && !stopping_; waited += 5) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        break;
      case Step::Kind::Close:
        shutdownBoth(fd);
        open = false;
        break;
      case Step::Kind::Reset: {
        abortOnClose(fd);
        open = false;
        break;
      }
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    scriptEnded_[connection] = true;
    changed_.notify_all();
  }
  // Held open: record whatever the client still sends until it closes.
  while (open && readRequest(connection, fd, pending)) {
  }
  closeSocket(fd);
}

std::string httpAnswer(const std::string& statusLine, const std::vector<std::string>& headers,
                       const std::string& body) {
  std::string answer = statusLine + "\r\n";
  for (const std::string& header : headers) {
    answer += header + "\r\n";
  }
  return answer + "\r\n" + body;
}

std::string okAnswer(const std::string& body) {
  return httpAnswer("HTTP/1.1 200 OK", {"Content-Length: " + std::to_string(body.size())}, body);
}

}  // namespace zk::test
