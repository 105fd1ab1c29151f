#include "support/SmtpTestServer.h"

#include "support/TempHome.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QTcpServer>

namespace tidewell::test {

namespace {
// Debian's modules (aiosmtpd) are only seen by Debian's interpreter.
const QString kPython = QStringLiteral("/usr/bin/python3");
}  // namespace

SmtpTestServer::SmtpTestServer(const Options& options) {
  QStringList args{TempHome::sourceDir() + QStringLiteral("/tests/support/smtp_server.py")};
  if (!options.authUser.isEmpty()) {
    args << QStringLiteral("--auth") << options.authUser + QLatin1Char(':') + options.authPassword;
    if (options.authOptional) {
      args << QStringLiteral("--auth-optional");
    }
  }
  if (options.startTls) {
    args << QStringLiteral("--starttls") << tlsFolder_.path();
  } else if (options.implicitTls) {
    args << QStringLiteral("--implicit-tls") << tlsFolder_.path();
  }
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("PYTHONPATH"));
  environment.remove(QStringLiteral("PYTHONHOME"));
  process_.setProcessEnvironment(environment);
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.start(kPython, args);
  if (!process_.waitForStarted(10000)) {
    startError_ = process_.errorString();
    return;
  }
  const QDeadlineTimer deadline(15000);
  while (!deadline.hasExpired()) {
    const QList<QJsonObject> ready = records(QStringLiteral("ready"));
    if (!ready.isEmpty()) {
      port_ = ready.first().value(QStringLiteral("port")).toInt();
      certificateFile_ = ready.first().value(QStringLiteral("cert")).toString();
      return;
    }
    if (process_.state() != QProcess::Running) {
      break;
    }
    process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
  }
  startError_ = QStringLiteral("SMTP test server did not start: ") + QString::fromUtf8(process_.readAllStandardError());
}

SmtpTestServer::~SmtpTestServer() {
  if (process_.state() == QProcess::Running) {
    process_.closeWriteChannel();  // the script ends when its input closes
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
}

void SmtpTestServer::readPending() {
  buffer_ += process_.readAllStandardOutput();
  qsizetype newline = 0;
  while ((newline = buffer_.indexOf('\n')) >= 0) {
    const QByteArray line = buffer_.left(newline);
    buffer_.remove(0, newline + 1);
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (doc.isObject()) {
      records_ << doc.object();
    }
  }
}

QList<QJsonObject> SmtpTestServer::records(const QString& event) {
  readPending();
  QList<QJsonObject> found;
  for (const QJsonObject& record : records_) {
    if (record.value(QStringLiteral("event")).toString() == event) {
      found << record;
    }
  }
  return found;
}

QList<QJsonObject> SmtpTestServer::waitForMessages(int count, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  QList<QJsonObject> messages = records(QStringLiteral("message"));
  while (messages.size() < count && !deadline.hasExpired() && process_.state() == QProcess::Running) {
    process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
    messages = records(QStringLiteral("message"));
  }
  return messages;
}

bool SmtpTestServer::sync(int timeoutMs) {
  const qsizetype before = records(QStringLiteral("synced")).size();
  process_.write("sync\n");
  const QDeadlineTimer deadline(timeoutMs);
  while (records(QStringLiteral("synced")).size() <= before) {
    if (deadline.hasExpired() || process_.state() != QProcess::Running) return false;
    process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
  }
  return true;
}

QStringList SmtpTestServer::commands() {
  sync();
  QStringList verbs;
  for (const QJsonObject& command : records(QStringLiteral("command"))) {
    verbs << command.value(QStringLiteral("verb")).toString() +
                 (command.value(QStringLiteral("tls")).toBool() ? QStringLiteral("+tls") : QString());
  }
  return verbs;
}

int SmtpTestServer::unusedPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) {
    return 0;
  }
  return probe.serverPort();  // closed again when probe goes out of scope
}

}  // namespace tidewell::test
