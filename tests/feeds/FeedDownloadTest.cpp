#include "feeds/FeedDownloader.h"
#include "feeds/FeedFetch.h"
#include "feeds/LogSink.h"
#include "feeds/ViewerCheck.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::TestHttpServer;

const QByteArray kFeed =
    "<?xml version=\"1.0\"?><rss><channel><title>T</title><item><title>i</title></item>"
    "</channel></rss>";

DownloadOptions options(const QUrl& url, int timeoutMs = 3000) {
  DownloadOptions o;
  o.url = url;
  o.timeoutMs = timeoutMs;
  return o;
}

TEST(FeedDownloader, AnswersArriveWithTheirHeadersWhateverTheStatus) {
  TestHttpServer server;
  TestHttpServer::Response ok;
  ok.body = kFeed;
  ok.contentType = "application/rss+xml; charset=\"ISO-8859-1\"";
  ok.headers = {{"ETag", "\"abc\""}, {"Last-Modified", "Sat, 07 Sep 2002 00:00:01 GMT"}};
  server.route(QStringLiteral("/feed"), ok);
  TestHttpServer::Response deflated;
  deflated.body = qCompress(kFeed).mid(4);  // a zlib stream: Content-Encoding deflate
  deflated.headers = {{"Content-Encoding", "deflate"}};
  server.route(QStringLiteral("/deflated"), deflated);
  server.route(QStringLiteral("/moved"), {.redirectTo = "/feed"});
  server.route(QStringLiteral("/late"), {.body = kFeed, .delayMs = 300});
  server.route(QStringLiteral("/chunks"), {.body = kFeed, .chunked = true, .chunkSize = 7});

  DownloadResult result = FeedDownloader::fetchOnce(options(server.url(QStringLiteral("/feed"))));
  EXPECT_TRUE(result.completed());
  EXPECT_EQ(result.httpStatus, 200);
  EXPECT_EQ(result.body, kFeed);
  EXPECT_EQ(result.charset, QStringLiteral("iso-8859-1"));
  EXPECT_EQ(result.etag, QByteArray("\"abc\""));
  EXPECT_EQ(result.lastModified, QByteArray("Sat, 07 Sep 2002 00:00:01 GMT"));
  const TestHttpServer::Request& request = server.requests().back();
  EXPECT_EQ(request.method, QByteArray("GET"));
  EXPECT_EQ(request.header("Cache-Control"), QByteArray("no-cache"));
  EXPECT_TRUE(request.header("User-Agent").startsWith("Tidewell/"));
  // Left to Qt, which then also undoes the compression.
  EXPECT_TRUE(request.header("Accept-Encoding").contains("gzip"));
  EXPECT_TRUE(request.header("If-None-Match").isEmpty());

  for (const char* path : {"/deflated", "/moved", "/late", "/chunks"}) {
    SCOPED_TRACE(path);
    result = FeedDownloader::fetchOnce(options(server.url(QString::fromLatin1(path))));
    EXPECT_TRUE(result.completed());
    EXPECT_EQ(result.body, kFeed);
  }
  EXPECT_EQ(result.finalUrl, server.url(QStringLiteral("/chunks")));

  // A 404 HTML page is an answer like any other: the parser judges it.
  result = FeedDownloader::fetchOnce(options(server.url(QStringLiteral("/missing"))));
  EXPECT_TRUE(result.completed());
  EXPECT_EQ(result.httpStatus, 404);
  EXPECT_TRUE(result.body.contains("Not Found"));
}

TEST(FeedDownloader, ConditionalRequestAndNotModified) {
  TestHttpServer server;
  server.route(QStringLiteral("/feed"), {.handler = [](const TestHttpServer::Request& request) {
                 TestHttpServer::Response response;
                 if (request.header("If-None-Match") == "\"v1\"") {
                   response.status = 304;
                 } else {
                   response.body = kFeed;
                 }
                 return response;
               }});
  DownloadOptions o = options(server.url(QStringLiteral("/feed")));
  o.ifNoneMatch = "\"v1\"";
  o.ifModifiedSince = "Sat, 07 Sep 2002 00:00:01 GMT";
  const DownloadResult result = FeedDownloader::fetchOnce(o);
  EXPECT_TRUE(result.notModified());
  EXPECT_TRUE(result.body.isEmpty());
  EXPECT_EQ(server.requests().back().header("If-Modified-Since"), QByteArray("Sat, 07 Sep 2002 00:00:01 GMT"));
}

TEST(FeedDownloader, FaultsEndInTheirOwnErrorWithinTheTimeLimit) {
  TestHttpServer server;
  QByteArray large(70 * 1024 * 1024, 'x');
  server.route(QStringLiteral("/never"), {.stall = true});
  server.route(QStringLiteral("/drip"), {.body = kFeed, .stallAfterBytes = 20});
  server.route(QStringLiteral("/reset"), {.body = kFeed, .resetAfterBytes = 30});
  server.route(QStringLiteral("/loop"), {.redirectTo = "/loop"});
  server.route(QStringLiteral("/large"), {.body = large});
  server.route(QStringLiteral("/large-chunked"), {.body = large, .chunked = true, .chunkSize = 1 << 20});
  large.clear();

  struct Case {
    QUrl url;
    DownloadError error;
    int timeoutMs = 800;
  };
  const Case cases[] = {
      {server.url(QStringLiteral("/never")), DownloadError::Timeout},
      {server.url(QStringLiteral("/drip")), DownloadError::Timeout},
      {server.url(QStringLiteral("/reset")), DownloadError::Network},
      // Every hop of the loop is a new connection: it has its own, longer limit.
      {server.url(QStringLiteral("/loop")), DownloadError::Redirect, 10000},
      {server.url(QStringLiteral("/large")), DownloadError::TooLarge, 20000},
      {server.url(QStringLiteral("/large-chunked")), DownloadError::TooLarge, 20000},
      {TestHttpServer::refusingUrl(), DownloadError::Network},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url.toString().toStdString());
    QElapsedTimer clock;
    clock.start();
    const DownloadResult result = FeedDownloader::fetchOnce(options(c.url, c.timeoutMs));
    EXPECT_EQ(result.error, c.error) << result.errorMessage.toStdString() << " status " << result.httpStatus << " body "
                                     << result.body.size() << " ms " << clock.elapsed();
    EXPECT_FALSE(result.errorMessage.isEmpty());
    EXPECT_LT(clock.elapsed(), c.timeoutMs + 8000);
    if (c.error == DownloadError::Timeout) {
      EXPECT_GE(clock.elapsed(), 700);
    }
    if (c.error == DownloadError::TooLarge) {
      EXPECT_TRUE(result.body.isEmpty());
    }
  }
  // The loop is followed to the limit and no further. The server closes every
  // connection after answering, and Qt re-sends a GET once when a connection
  // closes before the answer was read, so a hop may be counted twice.
  const int maxRedirects = DownloadOptions{}.maxRedirects;
  EXPECT_GE(server.hits(QStringLiteral("/loop")), maxRedirects + 1);
  EXPECT_LE(server.hits(QStringLiteral("/loop")), 2 * (maxRedirects + 1));
}

// A TLS failure is reported as such, never ignored.
TEST(FeedDownloader, TlsFailureIsReported) {
  TestHttpServer plain;
  plain.setGreeting("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nnot tls");
  QUrl url = plain.url(QStringLiteral("/feed"));
  url.setScheme(QStringLiteral("https"));
  const DownloadResult result = FeedDownloader::fetchOnce(options(url, 5000));
  EXPECT_EQ(result.error, DownloadError::Tls) << result.errorMessage.toStdString();
  EXPECT_TRUE(result.body.isEmpty());
}

TEST(FeedDownloader, AbortEndsTheRequestOnce) {
  TestHttpServer server;
  server.route(QStringLiteral("/never"), {.stall = true});
  FeedDownloader downloader;
  int finished = 0;
  QObject::connect(&downloader, &FeedDownloader::finished, [&](const DownloadResult& result) {
    ++finished;
    EXPECT_EQ(result.error, DownloadError::Aborted);
  });
  downloader.start(options(server.url(QStringLiteral("/never"))));
  QTimer::singleShot(100, &downloader, [&] { downloader.abort(); });
  const DownloadResult result = downloader.waitForFinished();
  EXPECT_EQ(result.error, DownloadError::Aborted);
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(downloader.isRunning());
}

// The viewer: a time-out asks Retry/Cancel; Retry makes a fresh attempt.
// Every other failure has its one box, and the check never waits inside
// the caller: the result comes by signal.
TEST(ViewerFetch, TimeoutThenRetryThenCancel) {
  test::TempHome home;
  TestHttpServer server;
  int calls = 0;
  server.route(QStringLiteral("/feed"), {.handler = [&calls](const TestHttpServer::Request&) {
                 TestHttpServer::Response response;
                 response.body = kFeed;
                 response.stall = ++calls == 1;  // the first attempt never answers
                 return response;
               }});
  test::ScriptedMessages messages;
  messages.answerRetryCancel(true);
  ViewerCheck check(
      nullptr, [] { return true; }, messages, QStringLiteral("Tidewell"));
  QList<bool> executing;
  QObject::connect(&check, &ViewerCheck::executingChanged, [&executing](bool on) { executing.append(on); });
  const auto run = [&check](const FeedCheckRequest& request) {
    QSignalSpy finished(&check, &ViewerCheck::finished);
    EXPECT_TRUE(check.start(request));
    EXPECT_TRUE(finished.wait(10000));
    return finished.at(0).at(0).value<FeedCheckResult>();
  };
  FeedCheckRequest request;
  request.url = server.url(QStringLiteral("/feed")).toString();
  request.storePath = home.file(QStringLiteral("Data/feed.fdb"));
  request.debugXmlPath = home.file(QStringLiteral("Debug.xml"));
  request.timeoutMs = 500;

  FeedCheckResult result = run(request);
  EXPECT_EQ(result.outcome, CheckOutcome::NewItems);
  EXPECT_EQ(result.download.body, kFeed);
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().kind, test::ScriptedMessages::Kind::RetryCancel);
  EXPECT_EQ(messages.last().title, QStringLiteral("Server Timeout!"));
  EXPECT_EQ(messages.last().text,
            QStringLiteral("Server did not respond in timely manner. Application failed to fetch Feed Data!"));
  EXPECT_EQ(messages.last().icon, MessageIcon::Exclamation);
  EXPECT_EQ(executing, (QList<bool>{true, false, true, false}));
  EXPECT_EQ(home.read(QStringLiteral("Debug.xml")), kFeed + "\n");

  // Cancel gives up and writes nothing.
  QFile::remove(request.debugXmlPath);
  calls = 0;
  messages.clear();
  result = run(request);
  EXPECT_EQ(result.outcome, CheckOutcome::Timeout);
  EXPECT_EQ(messages.entries().size(), 1u);
  EXPECT_FALSE(QFile::exists(request.debugXmlPath));

  // A body too large is said plainly; nothing is handed on.
  server.route(QStringLiteral("/huge"), {.body = "x", .contentLength = qint64(65) * 1024 * 1024});
  messages.clear();
  request.url = server.url(QStringLiteral("/huge")).toString();
  EXPECT_EQ(run(request).outcome, CheckOutcome::DownloadFailed);
  EXPECT_EQ(messages.titles(), QStringList{QStringLiteral("Download Failed!")});

  // Offline, Cancel: nothing is sent and no result follows.
  messages.clear();
  ViewerCheck offline(
      nullptr, [] { return false; }, messages, QStringLiteral("Tidewell"));
  const int before = server.hits(QStringLiteral("/huge"));
  EXPECT_FALSE(offline.start(request));
  EXPECT_EQ(messages.titles(), QStringList{QStringLiteral("Working Offline?")});
  EXPECT_EQ(server.hits(QStringLiteral("/huge")), before);
}

}  // namespace
}  // namespace tidewell
