#include "transfer/http_client.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/error.h"
#include "core/text_encoding.h"

namespace zk {

namespace {

constexpr const char* kConnectionClosedGracefully = "Connection Closed Gracefully.";
// From this size on a body's buffer asks the system for large pages.
constexpr std::size_t kLargeBody = 4 * 1024 * 1024;

bool isBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) {
    ++begin;
  }
  while (end > begin && isBlank(text[end - 1])) {
    --end;
  }
  return text.substr(begin, end - begin);
}

// A decimal number with an optional sign; nothing when the text is not one
// or does not fit.
std::optional<std::int64_t> parseDecimal(const std::string& text, std::int64_t limit) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
    if (value > limit) {
      return std::nullopt;
    }
  }
  return negative ? -value : value;
}

// The status code: the text after the first space, blanks removed, up to
// the next space; -1 when that is not a number.
int parseStatusCode(const std::string& statusLine) {
  const std::size_t space = statusLine.find(' ');
  if (space == std::string::npos) {
    return -1;
  }
  std::string rest = trim(statusLine.substr(space + 1));
  rest = rest.substr(0, rest.find(' '));
  const auto code = parseDecimal(rest, INT_MAX);
  return code ? static_cast<int>(*code) : -1;
}

// The size of a chunk: hexadecimal digits, optionally followed by blanks or
// an extension after ";". Anything else fails the GET rather than ending the
// body at a place the server did not mean.
std::int32_t parseChunkSize(const std::string& line) {
  std::string text = trim(line.substr(0, line.find(';')));
  text = text.substr(0, text.find_first_of(" \t"));
  if (text.empty()) {
    throw Error("Invalid chunk size");
  }
  std::int64_t size = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      throw Error("Invalid chunk size");
    }
    size = size * 16 + digit;
    if (size > INT32_MAX) {
      throw Error("Invalid chunk size");
    }
  }
  return static_cast<std::int32_t>(size);
}

std::uint16_t portNumber(const std::string& port) {
  const auto value = parseDecimal(port, 65535);
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

  const std::size_t start = destination.size();
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
          readBody(thrownAway, kRedirectBodyTimeoutMs);
        } catch (const Error&) {
          closeConnection();
        }
      }
      answerPending_ = false;
      destination.resize(start);
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
    readBody(body, kErrorBodyTimeoutMs);
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

void HttpClient::readHead() {
  do {
    std::string line;
    if (!readLine(line, readTimeoutMs_)) {
      throw Error(kConnectionClosedGracefully);
    }
    statusLine_ = line;
    responseCode_ = parseStatusCode(statusLine_);
    headers_.clear();
    // A close before the empty line ends the head with the lines so far.
    while (readLine(line, readTimeoutMs_) && !line.empty()) {
      headers_.push_back(line);
    }
  } while (responseCode_ == 100);

  const auto length = parseDecimal(headerValue("Content-Length"), INT32_MAX);
  if (length && *length >= 0) {
    contentLength_ = static_cast<std::int32_t>(*length);
  } else {
    contentLength_.reset();
  }
}

std::string HttpClient::headerValue(const std::string& name) const {
  for (std::size_t i = 0; i < headers_.size(); ++i) {
    const std::string& line = headers_[i];
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || !equalsIgnoringAsciiCase(line.substr(0, colon), name)) {
      continue;
    }
    std::string value = trim(line.substr(colon + 1));
    for (std::size_t j = i + 1; j < headers_.size() && !headers_[j].empty() &&
                                (headers_[j].front() == ' ' || headers_[j].front() == '\t');
         ++j) {
      const std::string piece = trim(headers_[j]);
      if (!piece.empty()) {
        value += value.empty() ? piece : " " + piece;
      }
    }
    return value;
  }
  return "";
}

bool HttpClient::answerAllowsKeepAlive() const {
  return asciiLower(headerValue("Connection")) != "close" &&
         asciiLower(headerValue("Proxy-Connection")) != "close";
}

bool HttpClient::isChunked() const {
  return asciiLower(headerValue("Transfer-Encoding")).find("chunked") != std::string::npos;
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

void HttpClient::moveBuffered(std::string& destination, std::size_t count) {
  destination.append(in_.data() + inStart_, count);
  inStart_ += count;
}

// One line of an answer head, without its LF and a CR before it. At the
// server's close, bytes without a line end make the last line; false when
// there were none.
bool HttpClient::readLine(std::string& line, int timeoutMs) {
  std::size_t scanned = 0;
  for (;;) {
    const char* begin = in_.data() + inStart_;
    const void* lf =
        buffered() > scanned ? std::memchr(begin + scanned, '\n', buffered() - scanned) : nullptr;
    if (lf != nullptr) {
      std::size_t length = static_cast<const char*>(lf) - begin;
      if (length > maxLineLength_) {
        throw Error("Max line length exceeded.");
      }
      inStart_ += length + 1;
      if (length > 0 && begin[length - 1] == '\r') {
        --length;
      }
      line.assign(begin, length);
      return true;
    }
    if (buffered() > maxLineLength_) {
      throw Error("Max line length exceeded.");
    }
    scanned = buffered();
    if (!fill(timeoutMs)) {
      if (buffered() == 0) {
        return false;
      }
      line.assign(in_.data() + inStart_, buffered());
      inStart_ = inEnd_;
      return true;
    }
  }
}

void HttpClient::readBody(std::string& destination, int timeoutMs) {
  if (contentLength_ && *contentLength_ > 0) {
    readDelimited(destination, *contentLength_, timeoutMs);
  } else if (isChunked()) {
    readChunked(destination, timeoutMs);
  } else if (!contentLength_) {
    readUntilClose(destination, timeoutMs);
  }
}

void HttpClient::readDelimited(std::string& destination, std::int32_t length, int timeoutMs) {
  const auto total = static_cast<std::size_t>(length);
  const std::size_t oldCapacity = destination.capacity();
  destination.reserve(destination.size() + total);
  if (destination.capacity() != oldCapacity && total >= kLargeBody) {
    platform::adviseLargeReceiveBuffer(destination.data(), destination.capacity());
  }
  try {
    beginWork(WorkMode::Read, length);
    std::size_t moved = std::min(buffered(), total);
    if (moved > 0) {
      moveBuffered(destination, moved);
      doWork(WorkMode::Read, static_cast<std::int32_t>(moved));
    }
    while (moved < total) {
      const std::size_t block = std::min(kReceiveBlock, total - moved);
      while (buffered() < block) {
        // A body cut short is never passed on as complete.
        if (!fill(timeoutMs)) {
          throw Error(kConnectionClosedGracefully);
        }
      }
      moveBuffered(destination, block);
      moved += block;
      doWork(WorkMode::Read, static_cast<std::int32_t>(block));
    }
  } catch (...) {
    endWork(WorkMode::Read);
    throw;
  }
  endWork(WorkMode::Read);
}

void HttpClient::readChunked(std::string& destination, int timeoutMs) {
  std::string line;
  for (;;) {
    if (!readLine(line, timeoutMs)) {
      throw Error(kConnectionClosedGracefully);
    }
    const std::int32_t size = parseChunkSize(line);
    if (size == 0) {
      // The empty line that ends the body (or the first trailer line).
      if (!readLine(line, timeoutMs)) {
        throw Error(kConnectionClosedGracefully);
      }
      return;
    }
    readDelimited(destination, size, timeoutMs);
    if (!readLine(line, timeoutMs)) {
      throw Error(kConnectionClosedGracefully);
    }
  }
}

void HttpClient::readUntilClose(std::string& destination, int timeoutMs) {
  try {
    beginWork(WorkMode::Read, 0);
    if (buffered() > 0) {
      const std::size_t count = buffered();
      moveBuffered(destination, count);
      doWork(WorkMode::Read, static_cast<std::int32_t>(count));
    }
    for (;;) {
      if (buffered() >= kReceiveBlock) {
        moveBuffered(destination, kReceiveBlock);
        doWork(WorkMode::Read, static_cast<std::int32_t>(kReceiveBlock));
      } else if (!fill(timeoutMs)) {
        moveBuffered(destination, buffered());
        break;
      }
    }
  } catch (...) {
    endWork(WorkMode::Read);
    throw;
  }
  endWork(WorkMode::Read);
}

void HttpClient::beginWork(WorkMode mode, std::int32_t expectedTotal) {
  WorkCounter& counter = work_[static_cast<int>(mode)];
  if (++counter.level == 1) {
    counter.expected = expectedTotal;
    counter.total = 0;
    if (OnWorkBegin) {
      OnWorkBegin(*this, mode, expectedTotal);
    }
  }
}

void HttpClient::doWork(WorkMode mode, std::int32_t count) {
  WorkCounter& counter = work_[static_cast<int>(mode)];
  if (counter.level >= 1) {
    counter.total = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter.total) +
                                              static_cast<std::uint32_t>(count));
    if (OnWork) {
      OnWork(*this, mode, counter.total);
    }
  }
}

void HttpClient::endWork(WorkMode mode) {
  WorkCounter& counter = work_[static_cast<int>(mode)];
  if (counter.level > 0 && --counter.level == 0 && OnWorkEnd) {
    OnWorkEnd(*this, mode);
  }
}

}  // namespace zk
