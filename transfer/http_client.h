#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "transfer/body_sink.h"
#include "transfer/url.h"

namespace zk {

// The direction of a progress series: receiving (read) or sending (write).
enum class WorkMode { Read, Write };

// The program's HTTP/1.1 client: GET requests over plain TCP, one at a time,
// on the calling thread. A default-constructed client has the default
// settings; applyConfiguredClientSettings() gives the window's client its own.
// Connections, requests and redirects are handled in http_client.cpp, the
// reading of an answer (head, bodies, progress) in http_answer.cpp.
class HttpClient {
 public:
  static constexpr const char* kDefaultAccept = "text/html, */*";
  static constexpr const char* kDefaultUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
  static constexpr const char* kDefaultContentType = "text/html";
  static constexpr std::size_t kDefaultMaxLineLength = 16384;
  static constexpr int kDefaultRedirectMaximum = 15;
  static constexpr int kDefaultReadTimeoutMs = 60000;
  static constexpr std::size_t kReceiveBlock = 32768;
  // Waits while a body is read only to be thrown away.
  static constexpr int kRedirectBodyTimeoutMs = 4000;
  static constexpr int kErrorBodyTimeoutMs = 2000;

  using Connector = std::function<std::unique_ptr<platform::StreamSocket>(const std::string& host,
                                                                          std::uint16_t port)>;

  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Hands the body of the final answer to `destination` as it arrives
  // (bodies of redirects and error answers never reach it). Failures throw
  // Error (HttpProtocolError for an answer that ends the GET as a failure,
  // SocketError for the socket, or what the sink threw); `destination` then
  // keeps what was written. A failure in the middle of an answer closes the
  // connection. A GET started while another GET of this client runs throws
  // Error and touches nothing.
  void Get(const std::string& url, BodySink& destination);
  // Appends the body to `destination`.
  void Get(const std::string& url, std::string& destination);
  // The body as bytes, unchanged.
  std::string GetText(const std::string& url);

  // Progress of body reads, called synchronously inside Get. countSoFar is the
  // running total since the series began.
  std::function<void(HttpClient& sender, WorkMode mode, std::int32_t expectedTotal)> OnWorkBegin;
  std::function<void(HttpClient& sender, WorkMode mode, std::int32_t countSoFar)> OnWork;
  std::function<void(HttpClient& sender, WorkMode mode)> OnWorkEnd;

  void setAccept(std::string value) { accept_ = std::move(value); }
  const std::string& accept() const { return accept_; }
  void setUserAgent(std::string value) { userAgent_ = std::move(value); }
  const std::string& userAgent() const { return userAgent_; }
  void setContentType(std::string value) { contentType_ = std::move(value); }
  const std::string& contentType() const { return contentType_; }
  void setHandleRedirects(bool follow) { handleRedirects_ = follow; }
  bool handleRedirects() const { return handleRedirects_; }
  // Requests per GET, the first one included.
  void setRedirectMaximum(int requests) { redirectMaximum_ = requests; }
  int redirectMaximum() const { return redirectMaximum_; }
  // Longest line accepted in an answer head, before its LF.
  void setMaxLineLength(std::size_t bytes) { maxLineLength_ = bytes; }
  std::size_t maxLineLength() const { return maxLineLength_; }
  // Limit on every wait for data outside the two bounded body reads.
  void setReadTimeout(int milliseconds) { readTimeoutMs_ = milliseconds; }
  int readTimeout() const { return readTimeoutMs_; }
  // How connections are made (tests and fuzzing hand in their own sockets).
  void setConnector(Connector connector) { connector_ = std::move(connector); }

  // The last answer.
  const std::string& statusLine() const { return statusLine_; }
  int responseCode() const { return responseCode_; }
  const std::vector<std::string>& rawHeaders() const { return headers_; }
  // The value of the first header of that name (letter case ignored), folded
  // continuation lines joined; empty when there is none.
  std::string headerValue(const std::string& name) const;
  std::optional<std::int32_t> contentLength() const { return contentLength_; }

  const UrlParts& currentUrl() const { return url_; }
  bool connected() const { return socket_ != nullptr && socket_->isOpen(); }
  // Connections opened over the client's life.
  int connectionsOpened() const { return connectionsOpened_; }
  bool busy() const { return busy_; }

 private:
  void prepareConnection();
  void closeConnection();
  void sendRequest();
  void readAnswer();
  void readHead();
  bool answerAllowsKeepAlive() const;
  bool isChunked() const;

  bool fill(int timeoutMs);
  bool receiveIntoBuffer();
  std::size_t buffered() const { return inEnd_ - inStart_; }
  void moveBuffered(BodySink& destination, std::size_t count);
  bool readLine(std::string& line, int timeoutMs);

  void readBody(BodySink& destination, int timeoutMs);
  void readDelimited(BodySink& destination, std::int32_t length, int timeoutMs);
  void readChunked(BodySink& destination, int timeoutMs);
  void readUntilClose(BodySink& destination, int timeoutMs);

  void beginWork(WorkMode mode, std::int32_t expectedTotal);
  void doWork(WorkMode mode, std::int32_t count);
  void endWork(WorkMode mode);

  std::string accept_ = kDefaultAccept;
  std::string userAgent_ = kDefaultUserAgent;
  std::string contentType_ = kDefaultContentType;
  bool handleRedirects_ = false;
  int redirectMaximum_ = kDefaultRedirectMaximum;
  std::size_t maxLineLength_ = kDefaultMaxLineLength;
  int readTimeoutMs_ = kDefaultReadTimeoutMs;
  Connector connector_;

  UrlParts url_;

  std::unique_ptr<platform::StreamSocket> socket_;
  std::string socketHost_;
  std::string socketPort_;
  std::vector<char> in_;
  std::size_t inStart_ = 0;
  std::size_t inEnd_ = 0;
  int connectionsOpened_ = 0;
  // A request went out and its answer is not yet read to its end: the
  // connection cannot carry another request.
  bool answerPending_ = false;
  bool busy_ = false;

  std::string statusLine_;
  int responseCode_ = 0;
  std::vector<std::string> headers_;
  std::optional<std::int32_t> contentLength_;

  struct WorkCounter {
    int level = 0;
    std::int32_t expected = 0;
    std::int32_t total = 0;
  };
  WorkCounter work_[2];
};

// The window's client IdHTTP1: its Accept, User-Agent and Content-Type
// values, redirect following and longest head line.
inline constexpr const char* kConfiguredAccept =
    "text/html, image/gif, image/png, image/jpeg, image/pjpeg, rar/zip, exe/dll, */*";
inline constexpr const char* kConfiguredUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:12.0) Gecko/20100101 Firefox/12.0";
inline constexpr std::size_t kConfiguredMaxLineLength = 32768;
void applyConfiguredClientSettings(HttpClient& client);

}  // namespace zk
