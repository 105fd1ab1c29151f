#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QUrl>

#include <functional>
#include <vector>

class QTcpSocket;

namespace tidewell::test {

// A small HTTP/1.1 server for tests, listening on 127.0.0.1 on a free port,
// running in the test's own thread (it answers while the code under test
// waits in its event loop). Every answer closes its connection.
//
// Routes are matched by path (without the query; a route for "*" catches
// everything else, otherwise an unknown path gets a 404 HTML page). Each
// route can inject one fault:
//
//   TestHttpServer server;
//   server.route("/feed.xml", {.body = rssBytes, .contentType = "application/rss+xml"});
//   server.route("/slow", {.body = rssBytes, .delayMs = 2000});         // answer late
//   server.route("/never", {.stall = true});                            // read the request, never answer
//   server.route("/gate", {.body = rssBytes, .held = true});            // answer when release("/gate") is called
//   server.route("/cut", {.body = big, .resetAfterBytes = 100});        // drop the connection mid-body
//   server.route("/drip", {.body = big, .stallAfterBytes = 100});       // send some body, then go silent
//   server.route("/loop", {.redirectTo = "/loop"});                     // 302 to itself
//   server.route("/chunks", {.body = rssBytes, .chunked = true, .chunkSize = 64});
//   server.route("/gone", {.status = 404, .body = "<html>..."});
//   server.route("/huge", {.streamBytes = qint64(1) << 30});              // 1 GiB, made as the client reads
//   server.route("/raw", {.rawPayload = "zz\r\nnot a chunk"});           // body bytes sent as given
//   server.route("/dyn", {.handler = [](const TestHttpServer::Request& r) { ... return Response; }});
//   QUrl url = server.url("/feed.xml");
//
// setGreeting() turns the server into one that answers every connection with
// fixed bytes (for TLS and protocol failures). Every request is recorded (method, path, headers) for assertions, and
// hits(path) counts them.
class TestHttpServer : public QObject {
  Q_OBJECT

 public:
  struct Request {
    QByteArray method;
    QByteArray path;                        // with query
    QHash<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
  };

  struct Response {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/xml";           // empty: no Content-Type header
    QList<QPair<QByteArray, QByteArray>> headers;  // extra headers, sent as given
    QByteArray redirectTo;  // non-empty: 302 with this Location (relative paths stay on this server)
    int delayMs = 0;        // wait before sending anything
    bool stall = false;     // never answer (the connection stays open until the client gives up)
    // Answer only when release(path) is called: a test orders events with it
    // instead of racing a delay against the code under test.
    bool held = false;
    qint64 stallAfterBytes = -1;  // send headers and this many body bytes, then go silent
    qint64 resetAfterBytes = -1;  // send headers and this many body bytes, then abort the connection
    bool chunked = false;         // Transfer-Encoding: chunked instead of Content-Length
    int chunkSize = 1024;
    qint64 contentLength = -1;  // >= 0: announce this length whatever the body is (a lie, when it differs)
    // >= 0: announce and send this many filler bytes, produced only as fast as
    // the client takes them (never held in memory whole); body is ignored.
    qint64 streamBytes = -1;
    bool unannounced = false;  // with streamBytes: no Content-Length, the body ends when the connection closes
    // Non-empty: sent verbatim after the headers instead of the (encoded) body,
    // for malformed chunked encodings and the like.
    QByteArray rawPayload;
    std::function<Response(const Request&)> handler;  // when set, computes the answer per request
  };

  explicit TestHttpServer(QObject* parent = nullptr);
  ~TestHttpServer() override;

  void route(const QString& path, Response response);
  QUrl url(const QString& path) const;
  quint16 port() const;

  // Not HTTP at all: every new connection gets these bytes at once and is
  // closed, before any request is read (a TLS client meets a plain server).
  void setGreeting(const QByteArray& bytes) { greeting_ = bytes; }

  const std::vector<Request>& requests() const { return requests_; }
  int hits(const QString& path) const;
  // Sends the answers held for path (from the event loop); later requests for
  // it are answered at once.
  void release(const QString& path);
  int heldCount(const QString& path) const;
  // A port on 127.0.0.1 where nothing listens (connection refused).
  static QUrl refusingUrl(const QString& path = QStringLiteral("/"));

 signals:
  // A request for path arrived and waits for release(path).
  void requestHeld(const QString& path);

 private:
  void onNewConnection();
  void onReadyRead(QTcpSocket* socket);
  void answer(QTcpSocket* socket, const Request& request);
  void send(QTcpSocket* socket, const Response& response);
  void stream(QTcpSocket* socket, qint64 total);

  QTcpServer server_;
  QHash<QString, Response> routes_;
  QHash<QTcpSocket*, QByteArray> pending_;
  std::vector<Request> requests_;
  QByteArray greeting_;
  struct Held {
    QString path;
    QPointer<QTcpSocket> socket;
    Response response;
  };
  std::vector<Held> held_;
  QSet<QString> released_;
};

}  // namespace tidewell::test
