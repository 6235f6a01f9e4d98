#include <gtest/gtest.h>
#include <chrono>

#include "core/error.h"
#include "tests/support/file_access.h"
#include "tests/support/scripted_http_server.h"
#include "transfer/http_client.h"

namespace zk {
namespace {

using test::bindOnLoopback;
using test::closeSocket;
using test::httpAnswer;
using test::okAnswer;
using Server = test::ScriptedHttpServer;
using test::SocketHandle;

// Every progress notification of a client, as "begin N", "work N", "end".
struct ProgressLog {
  std::vector<std::string> events;
  explicit ProgressLog(HttpClient& client) {
    client.OnWorkBegin = [this](HttpClient&, WorkMode mode, std::int32_t total) {
      events.push_back(std::string(mode == WorkMode::Read ? "" : "write ") + "begin " +
                       std::to_string(total));
    };
    client.OnWork = [this](HttpClient&, WorkMode, std::int32_t count) {
      events.push_back("work " + std::to_string(count));
    };
    client.OnWorkEnd = [this](HttpClient&, WorkMode) { events.push_back("end"); };
  }
};

HttpClient& configured(HttpClient& client) {
  applyConfiguredClientSettings(client);
  return client;
}

// The message of the failure of `get`, or "no failure".
template <typename F>
std::string failureOf(F get) {
  try {
    get();
  } catch (const Error& e) {
    return e.what();
  }
  return "no failure";
}

TEST(HttpClientRequestTest, ConfiguredClientSendsExactlyItsHead) {
  Server server;
  server.addConnection({Server::request(), Server::send(okAnswer("abc"))});
  HttpClient client;
  configured(client);
  EXPECT_EQ(client.GetText(server.url("/2020/zelvak.rar")), "abc");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].raw,
            "GET /2020/zelvak.rar HTTP/1.1\r\n"
            "Content-Type: text/html\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server.port()) +
                "\r\n"
                "Accept: text/html, image/gif, image/png, image/jpeg, image/pjpeg, rar/zip, "
                "exe/dll, */*\r\n"
                "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64; rv:12.0) Gecko/20100101 "
                "Firefox/12.0\r\n"
                "\r\n");
}

TEST(HttpClientRequestTest, DefaultClientSendsItsOwnValues) {
  Server server;
  server.addConnection({Server::request(), Server::send(okAnswer("17"))});
  HttpClient client;
  EXPECT_EQ(client.GetText(server.url("/2020/verzk.txt")), "17");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].raw,
            "GET /2020/verzk.txt HTTP/1.1\r\n"
            "Content-Type: text/html\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server.port()) +
                "\r\n"
                "Accept: text/html, */*\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                "\r\n");
}

TEST(HttpClientRequestTest, TargetsKeepDoubleSlashesAndTurnBackslashes) {
  Server server;
  Server::Script script;
  for (int i = 0; i < 4; ++i) {
    script.push_back(Server::request());
    script.push_back(Server::send(okAnswer("x")));
  }
  server.addConnection(script);
  HttpClient client;
  configured(client);
  const std::string root = server.url("/");
  client.GetText(root + "/7z.dll");
  client.GetText(server.url("/2020/") + "\\verrp.txt");
  client.GetText(server.url("/2020/") + "/verrp.txt");
  client.GetText(server.url(""));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].raw.substr(0, requests[0].raw.find('\r')), "GET //7z.dll HTTP/1.1");
  EXPECT_EQ(requests[1].raw.substr(0, requests[1].raw.find('\r')), "GET /2020//verrp.txt HTTP/1.1");
  EXPECT_EQ(requests[2].raw.substr(0, requests[2].raw.find('\r')), "GET /2020//verrp.txt HTTP/1.1");
  EXPECT_EQ(requests[3].raw.substr(0, requests[3].raw.find('\r')), "GET / HTTP/1.1");
  for (const auto& request : requests) {
    EXPECT_EQ(request.connection, 0);
  }
}

TEST(HttpClientConnectionTest, KeepsTheConnectionUntilTheServerSaysClose) {
  Server server;
  server.addConnection(
      {Server::request(), Server::send(okAnswer("one")), Server::request(),
       Server::send(
           httpAnswer("HTTP/1.1 200 OK", {"Content-Length: 3", "Connection:  Close "}, "two"))});
  server.addConnection({Server::request(), Server::send(okAnswer("three"))});
  HttpClient client;
  configured(client);
  EXPECT_EQ(client.GetText(server.url("/a")), "one");
  EXPECT_TRUE(client.connected());
  EXPECT_EQ(client.GetText(server.url("/b")), "two");
  EXPECT_FALSE(client.connected());
  EXPECT_EQ(client.GetText(server.url("/c")), "three");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].connection, 0);
  EXPECT_EQ(requests[1].connection, 0);
  EXPECT_EQ(requests[2].connection, 1);
  EXPECT_TRUE(server.waitForClientClose(0));
}

TEST(HttpClientConnectionTest, ProbeFindsAnIdleConnectionTheServerClosed) {
  Server server;
  server.addConnection({Server::request(), Server::send(okAnswer("one")), Server::close()});
  server.addConnection({Server::request(), Server::send(okAnswer("two"))});
  HttpClient client;
  configured(client);
  EXPECT_EQ(client.GetText(server.url("/a")), "one");
  ASSERT_TRUE(server.waitForScriptEnd(0));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(client.GetText(server.url("/b")), "two");
  EXPECT_EQ(client.connectionsOpened(), 2);
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(server.requests()[1].connection, 1);
}

TEST(HttpClientConnectionTest, AnotherHostOrPortGetsItsOwnConnection) {
  Server first;
  Server second;
  first.addConnection({Server::request(), Server::send(okAnswer("1"))});
  second.addConnection({Server::request(), Server::send(okAnswer("2"))});
  HttpClient client;
  configured(client);
  EXPECT_EQ(client.GetText(first.url("/x")), "1");
  EXPECT_EQ(client.GetText(second.url("/x")), "2");
  EXPECT_TRUE(first.waitForClientClose(0));
  EXPECT_EQ(client.connectionsOpened(), 2);
}

TEST(HttpClientConnectionTest, SocketErrorsCarryWindowsNumbers) {
  HttpClient client;
  try {
    client.GetText("http://no such host!/x");
    FAIL();
  } catch (const SocketError& e) {
    EXPECT_EQ(e.code(), 11001);
    EXPECT_STREQ(e.what(), "Socket Error # 11001\r\nHost not found.");
  }

  // A port that nothing listens on.
  int port = 0;
  const SocketHandle bound = bindOnLoopback(port);
  try {
    client.GetText("http://localhost:" + std::to_string(port) + "/x");
    FAIL();
  } catch (const SocketError& e) {
    EXPECT_EQ(e.code(), 10061);
    EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
  }
  closeSocket(bound);
}

TEST(HttpClientConnectionTest, HttpsAndPortlessForeignSchemesSendNothing) {
  Server server;
  HttpClient client;
  configured(client);
  EXPECT_EQ(failureOf([&] { client.GetText("https://127.0.0.1/x"); }),
            "IOHandler value is not valid");
  EXPECT_EQ(failureOf([&] { client.GetText("ftp://127.0.0.1/x"); }), "");
  EXPECT_EQ(server.connectionsAccepted(), 0);
}

TEST(HttpClientConnectionTest, AResetConnectionIsReplacedByTheNextGet) {
  if (test::runningUnderWine()) {
    // Checked against a Linux peer that resets: Wine's recv reports the reset
    // as an orderly close (0 bytes), where Windows reports 10054.
    GTEST_SKIP() << "Wine reports a reset connection as closed";
  }
  Server server;
  server.addConnection({Server::request(), Server::send(okAnswer("one")), Server::request(),
                        Server::send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart"),
                        Server::pause(50), Server::reset()});
  server.addConnection({Server::request(), Server::send(okAnswer("three"))});
  HttpClient client;
  configured(client);
  EXPECT_EQ(client.GetText(server.url("/a")), "one");
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/b")); }),
            "Socket Error # 10054\r\nConnection reset by peer.");
  EXPECT_FALSE(client.connected());
  EXPECT_EQ(client.GetText(server.url("/c")), "three");
}

TEST(HttpClientAnswerTest, InterimContinueIsSkipped) {
  Server server;
  server.addConnection(
      {Server::request(),
       Server::send("HTTP/1.1 100 Continue\r\nX-A: 1\r\n\r\nHTTP/1.1 200\r\nContent-Length: 2\r\n"
                    "X-Folded: one\r\n\t two\r\n  three \r\n\r\nok")});
  HttpClient client;
  EXPECT_EQ(client.GetText(server.url("/x")), "ok");
  EXPECT_EQ(client.responseCode(), 200);
  EXPECT_EQ(client.statusLine(), "HTTP/1.1 200");
  EXPECT_EQ(client.headerValue("x-folded"), "one two three");
}

TEST(HttpClientAnswerTest, ErrorAnswerCarriesStatusLineCodeAndBody) {
  Server server;
  server.addConnection(
      {Server::request(),
       Server::send(httpAnswer("HTTP/1.1 404 Not Found", {"Content-Length: 9"}, "not here!")),
       Server::request(), Server::send(okAnswer("after"))});
  HttpClient client;
  configured(client);
  ProgressLog log(client);
  std::string destination;
  try {
    client.Get(server.url("/2020/zelvak.rar"), destination);
    FAIL();
  } catch (const HttpProtocolError& e) {
    EXPECT_STREQ(e.what(), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(e.code(), 404);
    EXPECT_EQ(e.body(), "not here!");
  }
  EXPECT_EQ(destination, "");
  EXPECT_EQ(log.events, (std::vector<std::string>{"begin 9", "work 9", "end"}));
  // The body was read in full, so the connection serves the next GET.
  EXPECT_EQ(client.GetText(server.url("/x")), "after");
  EXPECT_EQ(client.connectionsOpened(), 1);
}

TEST(HttpClientAnswerTest, UnreadableStatusCodeIsAnErrorAnswer) {
  Server server;
  server.addConnection({Server::request(), Server::send("garbage\r\n\r\n"), Server::close()});
  HttpClient client;
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/x")); }), "garbage");
  EXPECT_EQ(client.responseCode(), -1);
}

TEST(HttpClientAnswerTest, CloseBeforeAnyAnswer) {
  Server server;
  server.addConnection({Server::request(), Server::close()});
  HttpClient client;
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/x")); }), "Connection Closed Gracefully.");
}

TEST(HttpClientAnswerTest, SuccessHeadCutByCloseIsAnUndefinedSituation) {
  Server server;
  server.addConnection({Server::request(), Server::send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"),
                        Server::close()});
  HttpClient client;
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/x")); }), "Undefined situation");
}

TEST(HttpClientAnswerTest, DefaultClientDoesNotFollowRedirects) {
  Server server;
  server.addConnection({Server::request(),
                        Server::send(httpAnswer("HTTP/1.1 302 Found", {"Location: /2021/verzk.txt",
                                                                       "Content-Length: 0"}))});
  HttpClient client;
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/2020/verzk.txt")); }),
            "HTTP/1.1 302 Found");
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST(HttpClientAnswerTest, ConfiguredClientFollowsRedirectOnTheSameConnection) {
  Server server;
  server.addConnection(
      {Server::request(),
       Server::send(httpAnswer("HTTP/1.1 302 Found",
                               {"Location: /2021/zelvak.rar", "Content-Length: 6"}, "moved!")),
       Server::request(), Server::send(okAnswer("archive"))});
  HttpClient client;
  configured(client);
  ProgressLog log(client);
  std::string destination;
  client.Get(server.url("/2020/zelvak.rar"), destination);
  EXPECT_EQ(destination, "archive");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].raw.substr(0, requests[1].raw.find('\r')), "GET /2021/zelvak.rar HTTP/1.1");
  EXPECT_EQ(requests[1].connection, 0);
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"begin 6", "work 6", "end", "begin 7", "work 7", "end"}));
}

TEST(HttpClientAnswerTest, RelativeLocationAndLocationOnASuccess) {
  Server server;
  server.addConnection(
      {Server::request(),
       Server::send(httpAnswer("HTTP/1.1 301 Moved", {"Location: ../x.rar", "Content-Length: 0"})),
       Server::request(),
       Server::send(httpAnswer("HTTP/1.1 200 OK", {"Location: /final", "Content-Length: 1"}, "a")),
       Server::request(), Server::send(okAnswer("end"))});
  HttpClient client;
  configured(client);
  EXPECT_EQ(client.GetText(server.url("/2020/sub/y.rar")), "end");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].raw.substr(0, requests[1].raw.find('\r')), "GET /2020/x.rar HTTP/1.1");
  EXPECT_EQ(requests[2].raw.substr(0, requests[2].raw.find('\r')), "GET /final HTTP/1.1");

  Server other;
  other.addConnection(
      {Server::request(), Server::send(httpAnswer(
                              "HTTP/1.1 200 OK", {"Location: /final", "Content-Length: 1"}, "a"))});
  HttpClient plain;
  EXPECT_EQ(failureOf([&] { plain.GetText(other.url("/x")); }), "HTTP/1.1 200 OK");
}

TEST(HttpClientAnswerTest, RedirectLimitFailsWithTheLastAnswer) {
  Server server;
  Server::Script script;
  for (int i = 0; i < 15; ++i) {
    script.push_back(Server::request());
    script.push_back(Server::send(
        httpAnswer("HTTP/1.1 302 Again " + std::to_string(i),
                   {"Location: /r" + std::to_string(i + 1), "Content-Length: 4"}, "loop")));
  }
  server.addConnection(script);
  HttpClient client;
  configured(client);
  std::string destination = "kept";
  try {
    client.Get(server.url("/r0"), destination);
    FAIL();
  } catch (const HttpProtocolError& e) {
    EXPECT_STREQ(e.what(), "HTTP/1.1 302 Again 14");
    EXPECT_EQ(e.code(), 302);
    EXPECT_EQ(e.body(), "loop");
  }
  EXPECT_EQ(destination, "kept");
  EXPECT_EQ(server.requests().size(), 15u);
}

TEST(HttpClientBodyTest, EmptyBodiesReportNothing) {
  Server server;
  server.addConnection(
      {Server::request(), Server::send(httpAnswer("HTTP/1.1 200 OK", {"Content-Length: 0"})),
       Server::request(), Server::send(httpAnswer("HTTP/1.1 204 No Content", {}))});
  HttpClient client;
  configured(client);
  ProgressLog log(client);
  EXPECT_EQ(client.GetText(server.url("/a")), "");
  EXPECT_EQ(client.GetText(server.url("/b")), "");
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(client.connectionsOpened(), 1);
}

TEST(HttpClientBodyTest, ChunkedBodyGivesOneSeriesPerChunk) {
  Server server;
  server.addConnection(
      {Server::request(),
       Server::send(httpAnswer("HTTP/1.1 200 OK", {"Transfer-Encoding: Chunked"},
                               "a;name=value\r\n0123456789\r\n5\r\nabcde\r\n0\r\n\r\n")),
       Server::request(), Server::send(okAnswer("next"))});
  HttpClient client;
  configured(client);
  ProgressLog log(client);
  EXPECT_EQ(client.GetText(server.url("/a")), "0123456789abcde");
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"begin 10", "work 10", "end", "begin 5", "work 5", "end"}));
  EXPECT_EQ(client.GetText(server.url("/b")), "next");
}

TEST(HttpClientBodyTest, BrokenChunkSequencesFail) {
  Server server;
  server.addConnection(
      {Server::request(), Server::send(httpAnswer("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"},
                                                  "zz\r\nabc\r\n0\r\n\r\n"))});
  server.addConnection({Server::request(),
                        Server::send(httpAnswer("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"},
                                                "5\r\nabcde\r\n")),
                        Server::close()});
  HttpClient client;
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/a")); }), "Invalid chunk size");
  EXPECT_FALSE(client.connected());
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/b")); }), "Connection Closed Gracefully.");
}

TEST(HttpClientBodyTest, BodyUntilCloseMovesWholeBlocksWithProgress) {
  const std::string body(40000, 'q');
  Server server;
  server.addConnection({Server::request(), Server::send("HTTP/1.0 200 OK\r\n\r\n"),
                        Server::pause(100), Server::send(body), Server::close()});
  HttpClient client;
  configured(client);
  ProgressLog log(client);
  EXPECT_EQ(client.GetText(server.url("/x")), body);
  EXPECT_EQ(log.events, (std::vector<std::string>{"begin 0", "work 32768", "end"}));
}

TEST(HttpClientBodyTest, LengthDelimitedBodyProgressSeries) {
  std::string body;
  for (int i = 0; i < 70000; ++i) {
    body += static_cast<char>('a' + i % 26);
  }
  Server server;
  server.addConnection(
      {Server::request(),
       Server::send("HTTP/1.1 200 OK\r\nContent-Length: 70000\r\n\r\n" + body.substr(0, 1000)),
       Server::pause(100), Server::send(body.substr(1000))});
  HttpClient client;
  configured(client);
  ProgressLog log(client);
  EXPECT_EQ(client.GetText(server.url("/x")), body);
  EXPECT_EQ(log.events, (std::vector<std::string>{"begin 70000", "work 1000", "work 33768",
                                                  "work 66536", "work 70000", "end"}));
}

TEST(HttpClientBodyTest, ShortBodyFailsInsteadOfPassingAsComplete) {
  Server server;
  server.addConnection(
      {Server::request(),
       Server::send("HTTP/1.1 200 OK\r\nContent-Length: 50000\r\n\r\n" + std::string(40000, 'x')),
       Server::close()});
  HttpClient client;
  configured(client);
  ProgressLog log(client);
  std::string destination;
  EXPECT_EQ(failureOf([&] { client.Get(server.url("/x"), destination); }),
            "Connection Closed Gracefully.");
  EXPECT_EQ(log.events.back(), "end");
  EXPECT_LT(destination.size(), 50000u);
}

TEST(HttpClientHeadTest, LongestLineDependsOnTheClient) {
  // A header line of `length` bytes before its LF, the CR included.
  const auto answerWithLine = [](std::size_t length) {
    return "HTTP/1.1 200 OK\r\nX-Long: " + std::string(length - 9, 'l') +
           "\r\nContent-Length: 2\r\n\r\nok";
  };
  Server server;
  server.addConnection({Server::request(), Server::send(answerWithLine(32768)), Server::request(),
                        Server::send(answerWithLine(32769))});
  server.addConnection({Server::request(), Server::send(answerWithLine(16384)), Server::request(),
                        Server::send(answerWithLine(16385))});
  server.addConnection({Server::request(), Server::send(std::string(20000, 'n'))});
  HttpClient window;
  configured(window);
  EXPECT_EQ(window.GetText(server.url("/a")), "ok");
  EXPECT_EQ(failureOf([&] { window.GetText(server.url("/b")); }), "Max line length exceeded.");
  EXPECT_FALSE(window.connected());
  HttpClient plain;
  EXPECT_EQ(plain.GetText(server.url("/c")), "ok");
  EXPECT_EQ(failureOf([&] { plain.GetText(server.url("/d")); }), "Max line length exceeded.");
  HttpClient another;
  EXPECT_EQ(failureOf([&] { another.GetText(server.url("/e")); }), "Max line length exceeded.");
}

TEST(HttpClientTimeoutTest, ErrorBodyWithoutLengthTimesOutAfterTwoSeconds) {
  Server server;
  server.addConnection(
      {Server::request(), Server::send("HTTP/1.1 500 Internal Server Error\r\n\r\npartial")});
  HttpClient client;
  configured(client);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/x")); }), "Read Timeout");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(1900));
  EXPECT_FALSE(client.connected());
}

TEST(HttpClientTimeoutTest, SilentServerRunsIntoTheWaitLimit) {
  EXPECT_EQ(HttpClient().readTimeout(), 60000);
  Server server;
  server.addConnection({Server::request()});
  HttpClient client;
  client.setReadTimeout(200);
  EXPECT_EQ(failureOf([&] { client.GetText(server.url("/x")); }), "Read Timeout");
  EXPECT_FALSE(client.connected());
}

TEST(HttpClientReentryTest, SecondGetInsideAProgressNotificationIsRefused) {
  Server server;
  server.addConnection({Server::request(), Server::send(okAnswer("body"))});
  HttpClient client;
  configured(client);
  std::string nested;
  client.OnWork = [&](HttpClient& sender, WorkMode, std::int32_t) {
    nested = failureOf([&] { sender.GetText(server.url("/other")); });
  };
  EXPECT_EQ(client.GetText(server.url("/x")), "body");
  EXPECT_EQ(nested, "A request of this HTTP client is still in progress");
  EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace zk
