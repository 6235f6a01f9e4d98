// The answer side of HttpClient: the status line and header block, the
// bodies (counted, chunked, until close) handed to their sink, and the
// progress notifications that come with them.
#include <algorithm>
#include <climits>
#include <cstring>

#include "core/error.h"
#include "core/text_encoding.h"
#include "transfer/http_client.h"
#include "transfer/http_text.h"

namespace zk {

using http_text::parseDecimal;
using http_text::trim;

namespace {

constexpr const char* kConnectionClosedGracefully = "Connection Closed Gracefully.";

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

}  // namespace

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

void HttpClient::moveBuffered(BodySink& destination, std::size_t count) {
  destination.write(in_.data() + inStart_, count);
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

void HttpClient::readBody(BodySink& destination, int timeoutMs) {
  if (contentLength_ && *contentLength_ > 0) {
    readDelimited(destination, *contentLength_, timeoutMs);
  } else if (isChunked()) {
    readChunked(destination, timeoutMs);
  } else if (!contentLength_) {
    readUntilClose(destination, timeoutMs);
  }
}

void HttpClient::readDelimited(BodySink& destination, std::int32_t length, int timeoutMs) {
  const auto total = static_cast<std::size_t>(length);
  destination.expect(total);
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

void HttpClient::readChunked(BodySink& destination, int timeoutMs) {
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

void HttpClient::readUntilClose(BodySink& destination, int timeoutMs) {
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
