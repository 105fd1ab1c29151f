#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalSocket>

namespace tidewell {

namespace {

// One byte back tells the later start that the first one has the arguments,
// so it can exit without the hand-over being lost with its socket.
constexpr char kAcknowledge = '1';
// A command line is a few arguments; anything longer is not a Tidewell start.
constexpr qint64 kMaxMessageBytes = qint64(64) * 1024;

QString currentUser() {
  const QString user = qEnvironmentVariable("USER");
  return user.isEmpty() ? qEnvironmentVariable("USERNAME") : user;
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() { server_.close(); }

QString SingleInstance::serverNameFor(const QString& appFolder) {
  const QByteArray key = (currentUser() + QLatin1Char('\n') + QDir::cleanPath(QDir(appFolder).absolutePath())).toUtf8();
  const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
  return QStringLiteral("tidewell-") + QString::fromLatin1(digest);
}

SingleInstance::Role SingleInstance::start(const QStringList& arguments, int handOverTimeoutMs) {
  if (handOver(arguments, handOverTimeoutMs)) return Role::HandedOver;
  if (server_.listen(serverName_)) return Role::Primary;
  if (server_.serverError() == QAbstractSocket::AddressInUseError) {
    // Another start may have begun listening since our first attempt.
    if (handOver(arguments, handOverTimeoutMs)) return Role::HandedOver;
    // Nobody answers: the socket file is left from a program that crashed.
    QLocalServer::removeServer(serverName_);
    if (server_.listen(serverName_)) return Role::Primary;
  }
  return Role::Failed;
}

bool SingleInstance::handOver(const QStringList& arguments, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray message;
  {
    QDataStream out(&message, QIODevice::WriteOnly);
    out << arguments;
  }
  QByteArray framed;
  {
    QDataStream out(&framed, QIODevice::WriteOnly);
    out << message;
  }
  socket.write(framed);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  while (socket.bytesAvailable() < 1) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  }
  char answer = 0;
  return socket.getChar(&answer) && answer == kAcknowledge;
}

void SingleInstance::onNewConnection() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // Framed as one QByteArray (a 32-bit length, then the bytes).
      if (socket->bytesAvailable() < 4) return;
      quint32 length = 0;
      const QByteArray header = socket->peek(4);
      QDataStream lengthStream(header);
      lengthStream >> length;
      if (length > kMaxMessageBytes) {
        socket->abort();
        return;
      }
      if (socket->bytesAvailable() < 4 + qint64(length)) return;
      const QByteArray framed = socket->read(4 + qint64(length));
      QByteArray message;
      QDataStream framedStream(framed);
      framedStream >> message;
      QStringList arguments;
      QDataStream stream(message);
      stream >> arguments;
      if (stream.status() != QDataStream::Ok) {
        socket->abort();
        return;
      }
      socket->putChar(kAcknowledge);
      socket->flush();
      emit commandLineReceived(arguments);
    });
  }
}

}  // namespace tidewell
