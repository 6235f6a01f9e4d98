#include "transfer/http_client.h"

#include <cstring>

#include "core/error.h"
#include "core/text_encoding.h"
#include "transfer/http_text.h"

namespace zk {

namespace {

std::uint16_t portNumber(const std::string& port) {
  const auto value = http_text::parseDecimal(port, 65535);
  if (!value || *value < 0) {
    throw Error("\"" + port + "\" is not a valid port number");
  }
  return static_cast<std::uint16_t>(*value);
}

// Runs `cleanup` when the scope ends, also by a failure.
template <typename F>
class Finally {
 public:
  explicit Finally(F f) : f_(std::move(f)) {}
  ~Finally() { f_(); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
};

}  // namespace

HttpClient::HttpClient()
    : connector_([](const std::string& host, std::uint16_t port) {
        return platform::connectTcp(platform::resolveHost(host), port);
      }) {}

HttpClient::~HttpClient() {
  closeConnection();
}

void applyConfiguredClientSettings(HttpClient& client) {
  client.setAccept(kConfiguredAccept);
  client.setUserAgent(kConfiguredUserAgent);
  client.setContentType(HttpClient::kDefaultContentType);
  client.setHandleRedirects(true);
  client.setMaxLineLength(kConfiguredMaxLineLength);
}

std::string HttpClient::GetText(const std::string& url) {
  std::string body;
  Get(url, body);
  return body;
}

void HttpClient::Get(const std::string& url, std::string& destination) {
  StringSink sink(destination);
  Get(url, sink);
}

void HttpClient::Get(const std::string& url, BodySink& destination) {
  if (busy_) {
    throw Error("A request of this HTTP client is still in progress");
  }
  busy_ = true;
  Finally done([this] {
    busy_ = false;
    // An answer that was not read to its end leaves the connection out of
    // step with the server.
    if (answerPending_) {
      answerPending_ = false;
      closeConnection();
    }
    if (connected() && !answerAllowsKeepAlive()) {
      closeConnection();
    }
  });

  std::string next = url;
  for (int requests = 1;; ++requests) {
    url_ = splitUrl(url_, next);
    prepareConnection();
    sendRequest();
    readHead();

    const int digit = responseCode_ / 100;
    const std::string location = headerValue("Location");
    const bool redirect = (digit == 3 && responseCode_ != 304) || !location.empty();
    if (redirect && handleRedirects_) {
      std::string thrownAway;
      if (connected()) {
        try {
          StringSink scratch(thrownAway);
          readBody(scratch, kRedirectBodyTimeoutMs);
        } catch (const Error&) {
          closeConnection();
        }
      }
      answerPending_ = false;
      if (requests < redirectMaximum_) {
        next = location;
        continue;
      }
      // A server that keeps redirecting gets no more requests; the GET
      // fails rather than ending without a body.
      throw HttpProtocolError(statusLine_, responseCode_, thrownAway);
    }
    if (digit == 2 && !redirect) {
      if (!connected()) {
        throw Error("Undefined situation");
      }
      if (responseCode_ != 204) {
        readBody(destination, readTimeoutMs_);
      }
      answerPending_ = false;
      return;
    }
    std::string body;
    StringSink scratch(body);
    readBody(scratch, kErrorBodyTimeoutMs);
    answerPending_ = false;
    throw HttpProtocolError(statusLine_, responseCode_, body);
  }
}

void HttpClient::closeConnection() {
  if (socket_) {
    socket_->close();
  }
}

void HttpClient::prepareConnection() {
  if (connected() &&
      (!equalsIgnoringAsciiCase(socketHost_, url_.host) || socketPort_ != url_.port)) {
    closeConnection();
  }
  if (connected() && !answerAllowsKeepAlive()) {
    closeConnection();
  }
  if (connected()) {
    // A server may close an idle connection at any time; look whether it did.
    try {
      if (socket_->waitReadable(1)) {
        receiveIntoBuffer();
      }
    } catch (const SocketError&) {
      closeConnection();
    }
  }
  if (!connected()) {
    const std::uint16_t port = portNumber(url_.port);
    socket_.reset();
    inStart_ = inEnd_ = 0;
    socket_ = connector_(url_.host, port);
    socketHost_ = url_.host;
    socketPort_ = url_.port;
    ++connectionsOpened_;
  }
}

void HttpClient::sendRequest() {
  std::string head = "GET " + requestTarget(url_) + " HTTP/1.1\r\n";
  head += "Content-Type: " + contentType_ + "\r\n";
  head += "Host: " + hostHeaderValue(url_) + "\r\n";
  head += "Accept: " + accept_ + "\r\n";
  head += "User-Agent: " + userAgent_ + "\r\n";
  head += "\r\n";

  statusLine_.clear();
  responseCode_ = 0;
  headers_.clear();
  contentLength_.reset();
  answerPending_ = true;
  try {
    socket_->sendAll(head.data(), head.size());
  } catch (const SocketError&) {
    closeConnection();
    throw;
  }
}

// Waits for data and receives once into the input buffer. False when the
// server has closed (the client then closes its side); a wait longer than the
// limit fails with "Read Timeout".
bool HttpClient::fill(int timeoutMs) {
  if (!connected()) {
    return false;
  }
  try {
    if (!socket_->waitReadable(timeoutMs)) {
      throw Error("Read Timeout");
    }
  } catch (const SocketError&) {
    closeConnection();
    throw;
  }
  return receiveIntoBuffer();
}

bool HttpClient::receiveIntoBuffer() {
  if (inStart_ == inEnd_) {
    inStart_ = inEnd_ = 0;
  }
  if (in_.size() - inEnd_ < kReceiveBlock) {
    if (inStart_ > 0) {
      std::memmove(in_.data(), in_.data() + inStart_, inEnd_ - inStart_);
      inEnd_ -= inStart_;
      inStart_ = 0;
    }
    if (in_.size() - inEnd_ < kReceiveBlock) {
      in_.resize(inEnd_ + kReceiveBlock);
    }
  }
  std::size_t got = 0;
  try {
    got = socket_->receive(in_.data() + inEnd_, kReceiveBlock);
  } catch (const SocketError& failure) {
    closeConnection();
    const bool closedByServer = failure.code() == platform::kSocketErrorConnectionAborted ||
                                failure.code() == platform::kSocketErrorShutdown;
    if (closedByServer && buffered() > 0) {
      return false;
    }
    throw;
  }
  if (got == 0) {
    closeConnection();
    return false;
  }
  inEnd_ += got;
  return true;
}

}  // namespace zk
