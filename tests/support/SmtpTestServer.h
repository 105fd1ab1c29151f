#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tidewell::test {

// A real SMTP server (Debian's aiosmtpd, tests/support/smtp_server.py) on
// 127.0.0.1 and a free port, started by the test and stopped with it. What it
// receives comes back as the JSON records the script prints.
class SmtpTestServer {
 public:
  struct Options {
    QString authUser;  // non-empty: AUTH offered with this login
    QString authPassword;
    bool authOptional = false;  // with auth: MAIL allowed without a login
    bool startTls = false;      // STARTTLS offered with a self-signed certificate
    bool implicitTls = false;   // TLS from the first byte, same certificate
  };

  explicit SmtpTestServer(const Options& options);
  SmtpTestServer() : SmtpTestServer(Options{}) {}
  ~SmtpTestServer();
  SmtpTestServer(const SmtpTestServer&) = delete;
  SmtpTestServer& operator=(const SmtpTestServer&) = delete;

  bool started() const { return port_ > 0; }
  int port() const { return port_; }
  QString startError() const { return startError_; }
  // With startTls: the PEM file of the server's certificate.
  QString certificateFile() const { return certificateFile_; }

  // Every record of the given event received so far (reads pending output).
  QList<QJsonObject> records(const QString& event);
  // Waits until every record the server printed before this call has been
  // read (the script answers a line on its input once it has printed them).
  // A client that has finished its session has had every command logged.
  bool sync(int timeoutMs = 10000);
  // The verbs of the commands received, in order, each followed by "+tls"
  // when it came over an encrypted connection. Syncs first.
  QStringList commands();
  // Waits up to timeoutMs for at least count "message" records.
  QList<QJsonObject> waitForMessages(int count, int timeoutMs = 10000);

  // A port on 127.0.0.1 on which nothing listens right now.
  static int unusedPort();

 private:
  void readPending();

  QProcess process_;
  QTemporaryDir tlsFolder_;
  QString certificateFile_;
  int port_ = 0;
  QString startError_;
  QByteArray buffer_;
  QList<QJsonObject> records_;
};

}  // namespace tidewell::test
