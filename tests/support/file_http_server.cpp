#include "tests/support/file_http_server.h"
#include "tests/support/loopback_listener.h"

#include <filesystem>
#include <stdexcept>

#include "tests/support/temp_folder.h"

namespace zk::test {
namespace {

constexpr int kPollMs = 20;

std::string collapseSlashes(const std::string& target) {
  std::string out;
  for (char c : target) {
    if (c != '/' || out.empty() || out.back() != '/') {
      out += c;
    }
  }
  return out;
}

std::string head(const std::string& statusLine, std::size_t length) {
  return statusLine + "\r\nServer: zk-test\r\nContent-Type: application/octet-stream\r\n" +
         "Content-Length: " + std::to_string(length) + "\r\n\r\n";
}

}  // namespace

FileHttpServer::FileHttpServer(std::string root) : root_(std::move(root)) {
  listenFd_ = listenOnLoopback(port_);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

FileHttpServer::~FileHttpServer() {
  stopping_ = true;
  acceptor_.join();
  joinWorkers(mutex_, workers_);
  closeSocket(listenFd_);
}

void FileHttpServer::setFault(const std::string& target, Fault fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[target] = fault;
}

std::string FileHttpServer::url(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<std::string> FileHttpServer::requestedTargets() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requested_;
}

void FileHttpServer::acceptLoop() {
  while (!stopping_) {
    if (!waitReadable(listenFd_, kPollMs)) {
      continue;
    }
    const SocketHandle fd = acceptConnection(listenFd_);
    if (fd == kNoSocket) {
      continue;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    workers_.emplace_back([this, fd] { serve(fd); });
  }
}

void FileHttpServer::serve(SocketHandle fd) {
  std::string pending;
  bool open = true;
  while (open && !stopping_) {
    const std::size_t end = pending.find("\r\n\r\n");
    if (end != std::string::npos) {
      const std::string requestHead = pending.substr(0, end);
      pending.erase(0, end + 4);
      const std::size_t start = requestHead.find(' ') + 1;
      const std::size_t stop = requestHead.find(' ', start);
      answer(fd, collapseSlashes(requestHead.substr(start, stop - start)), open);
      continue;
    }
    if (!waitReadable(fd, kPollMs)) {
      continue;
    }
    char buffer[4096];
    const long got = receiveSome(fd, buffer, sizeof buffer);
    if (got <= 0) {
      break;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
  }
  closeSocket(fd);
}

void FileHttpServer::answer(SocketHandle fd, const std::string& target, bool& keepOpen) {
  std::optional<Fault> fault;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requested_.push_back(target);
    if (const auto found = faults_.find(target); found != faults_.end()) {
      fault = found->second;
    }
  }
  if (fault == Fault::ServerError) {
    const std::string body = "<html><body>500 Internal Server Error</body></html>\n";
    keepOpen = sendAll(fd, head("HTTP/1.1 500 Internal Server Error", body.size()) + body);
    return;
  }
  const std::string path = root_ + target;
  if (target.find("..") != std::string::npos || !std::filesystem::is_regular_file(path)) {
    const std::string body = "<html><body>404 Not Found</body></html>\n";
    keepOpen = sendAll(fd, head("HTTP/1.1 404 Not Found", body.size()) + body);
    return;
  }
  const std::string body = readFile(path);
  if (fault == Fault::CutHalfway) {
    sendAll(fd, head("HTTP/1.1 200 OK", body.size()) + body.substr(0, body.size() / 2));
    shutdownBoth(fd);
    keepOpen = false;
    return;
  }
  keepOpen = sendAll(fd, head("HTTP/1.1 200 OK", body.size()) + body);
}

}  // namespace zk::test
