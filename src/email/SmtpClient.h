#pragma once

#include "core/Result.h"
#include "email/SmtpSettings.h"
#include "email/SmtpTransfer.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

namespace tidewell {

// One mail as the user wrote it: the "To" text (addresses separated by ";"),
// the subject and the HTML body.
struct SmtpMail {
  QString to;
  QString subject;
  QString htmlBody;
  QString textBody;  // the plain-text alternative; none when empty
};

// Checks a mail against the settings and builds what goes over the wire. Every
// refusal happens here, before any connection: a blank server, a port that is
// not a number from 1 to 65535, a sender or recipient that is not an address
// (named in the description), a line break in the subject or sender name.
Result<SmtpEnvelope> PrepareSmtpMail(const SmtpSettings& settings, const SmtpMail& mail, const QString& mailer = {});

// Sends mails without blocking the caller's event loop: the SMTP dialogue runs
// on a worker thread and its reports arrive as signals on the caller's thread.
// Destroying the client aborts a send still running and waits for it to end.
class SmtpClient : public QObject {
  Q_OBJECT

 public:
  explicit SmtpClient(QObject* parent = nullptr);
  ~SmtpClient() override;

  // Fails at once, with nothing sent and no signal emitted, when the mail is
  // refused or a send is still running; otherwise the send has started and
  // ends with sendSucceeded or sendFailed.
  Status send(const SmtpSettings& settings, const SmtpMail& mail, const QString& mailer = {});
  bool isSending() const { return sending_; }
  // Asks a running send to stop; it then ends with sendFailed.
  void abort();

 signals:
  void progress(int percent);
  void status(const QString& text);
  void sendSucceeded();
  void sendFailed(const QString& explanation);

 private:
  void finish(const Status& result);

  std::thread worker_;
  std::atomic<bool> cancel_{false};
  bool sending_ = false;
};

}  // namespace tidewell
