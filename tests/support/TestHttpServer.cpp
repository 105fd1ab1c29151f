#include "support/TestHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace tidewell::test {

namespace {

QByteArray reasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

}  // namespace

TestHttpServer::TestHttpServer(QObject* parent) : QObject(parent) {
  connect(&server_, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
  server_.listen(QHostAddress::LocalHost, 0);
}

TestHttpServer::~TestHttpServer() {
  server_.close();
  for (QTcpSocket* socket : findChildren<QTcpSocket*>()) socket->abort();
}

void TestHttpServer::route(const QString& path, Response response) { routes_.insert(path, std::move(response)); }

quint16 TestHttpServer::port() const { return server_.serverPort(); }

QUrl TestHttpServer::url(const QString& path) const {
  return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void TestHttpServer::release(const QString& path) {
  // Sent from the event loop, so a handler may release another route while
  // its own request is being answered.
  QTimer::singleShot(0, this, [this, path] {
    released_.insert(path);
    std::vector<Held> keep;
    std::vector<Held> due;
    for (Held& h : held_) (h.path == path ? due : keep).push_back(std::move(h));
    held_ = std::move(keep);
    for (Held& h : due) {
      h.response.held = false;
      if (h.socket) send(h.socket, h.response);
    }
  });
}

int TestHttpServer::heldCount(const QString& path) const {
  return static_cast<int>(std::count_if(held_.begin(), held_.end(), [&](const Held& h) { return h.path == path; }));
}

int TestHttpServer::hits(const QString& path) const {
  int count = 0;
  for (const Request& request : requests_) {
    if (QString::fromUtf8(request.path).section(QLatin1Char('?'), 0, 0) == path) ++count;
  }
  return count;
}

QUrl TestHttpServer::refusingUrl(const QString& path) {
  // Bind a port, then free it: nothing listens there a moment later.
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
}

void TestHttpServer::onNewConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    if (!greeting_.isEmpty()) {
      socket->write(greeting_);
      socket->disconnectFromHost();
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      continue;
    }
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
      pending_.remove(socket);
      socket->deleteLater();
    });
  }
}

void TestHttpServer::onReadyRead(QTcpSocket* socket) {
  QByteArray& buffer = pending_[socket];
  buffer.append(socket->readAll());
  const qsizetype end = buffer.indexOf("\r\n\r\n");
  if (end < 0) return;
  Request request;
  const QList<QByteArray> lines = buffer.left(end).split('\n');
  const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
  request.method = first.value(0);
  request.path = first.value(1);
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype colon = lines[i].indexOf(':');
    if (colon > 0) request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
  }
  buffer.clear();
  disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
  requests_.push_back(request);
  answer(socket, request);
}

void TestHttpServer::answer(QTcpSocket* socket, const Request& request) {
  const QString path = QString::fromUtf8(request.path).section(QLatin1Char('?'), 0, 0);
  Response response;
  if (routes_.contains(path)) {
    response = routes_.value(path);
  } else if (routes_.contains(QStringLiteral("*"))) {
    response = routes_.value(QStringLiteral("*"));
  } else {
    response.status = 404;
    response.contentType = "text/html";
    response.body =
        "<!DOCTYPE html><html><head><meta charset=utf-8><title>404 Not Found</title></head>"
        "<body><h1>Not Found</h1><p>The requested URL was not found.<br></body></html>";
  }
  if (response.handler) response = response.handler(request);
  if (response.stall) return;
  if (response.held && !released_.contains(path)) {
    held_.push_back({path, QPointer<QTcpSocket>(socket), response});
    emit requestHeld(path);
    return;
  }
  if (response.delayMs > 0) {
    QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(response.delayMs, this, [this, guard, response] {
      if (guard) send(guard, response);
    });
    return;
  }
  send(socket, response);
}

void TestHttpServer::send(QTcpSocket* socket, const Response& response) {
  int status = response.status;
  QByteArray head;
  if (!response.redirectTo.isEmpty()) {
    if (status == 200) status = 302;
    head += "Location: " + response.redirectTo + "\r\n";
  }
  QByteArray body = response.body;
  if (!response.contentType.isEmpty()) head += "Content-Type: " + response.contentType + "\r\n";
  for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
  if (response.chunked) {
    head += "Transfer-Encoding: chunked\r\n";
  } else if (response.streamBytes >= 0) {
    if (!response.unannounced) head += "Content-Length: " + QByteArray::number(response.streamBytes) + "\r\n";
  } else {
    const qint64 length = response.contentLength >= 0 ? response.contentLength : body.size();
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
  }
  head += "Connection: close\r\n\r\n";
  socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n" + head);

  if (response.streamBytes >= 0) {
    stream(socket, response.streamBytes);
    return;
  }
  QByteArray payload;
  if (!response.rawPayload.isEmpty()) {
    payload = response.rawPayload;
  } else if (response.chunked) {
    const int size = std::max(1, response.chunkSize);
    for (qsizetype at = 0; at < body.size(); at += size) {
      const QByteArray chunk = body.mid(at, size);
      payload += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
    }
    payload += "0\r\n\r\n";
  } else {
    payload = body;
  }
  if (response.resetAfterBytes >= 0) {
    socket->write(payload.left(response.resetAfterBytes));
    socket->flush();
    QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(50, this, [guard] {
      if (guard) guard->abort();
    });
    return;
  }
  if (response.stallAfterBytes >= 0) {
    socket->write(payload.left(response.stallAfterBytes));
    return;
  }
  socket->write(payload);
  connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
    if (socket->bytesToWrite() == 0) socket->disconnectFromHost();
  });
  if (socket->bytesToWrite() == 0) socket->disconnectFromHost();
}

void TestHttpServer::stream(QTcpSocket* socket, qint64 total) {
  // Topped up from bytesWritten, so at most a few pieces wait in the socket's
  // buffer whatever the total; a client that goes away ends the stream.
  static const QByteArray piece(64 * 1024, 'x');
  auto sent = std::make_shared<qint64>(0);
  const auto topUp = [socket, sent, total] {
    while (*sent < total && socket->bytesToWrite() < 4 * piece.size() &&
           socket->state() == QAbstractSocket::ConnectedState) {
      const qint64 size = std::min<qint64>(piece.size(), total - *sent);
      socket->write(piece.constData(), size);
      *sent += size;
    }
    if (*sent >= total && socket->bytesToWrite() == 0) socket->disconnectFromHost();
  };
  connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
  topUp();
}

}  // namespace tidewell::test
