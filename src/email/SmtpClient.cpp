#include "email/SmtpClient.h"

#include "email/EmailAddress.h"
#include "email/MimeMessage.h"

#include <QMetaObject>
#include <QRegularExpression>

namespace tidewell {

namespace {

template <typename T>
Result<T> refuse(const QString& description) {
  return Result<T>::failure(ErrorInfo{0, QStringLiteral("SmtpClient"), description});
}

bool isValidHost(const QString& host) {
  // A name, an IPv4 address or a bracketed/unbracketed IPv6 address; anything
  // else would change the meaning of the address handed to the mail library.
  static const QRegularExpression pattern(QStringLiteral(R"(^(\[[0-9A-Fa-f:.]+\]|[0-9A-Fa-f:.]*:[0-9A-Fa-f:.]*|)"
                                                         R"([A-Za-z0-9]([A-Za-z0-9_.-]*[A-Za-z0-9])?)$)"));
  return host.size() <= 253 && pattern.match(host).hasMatch();
}

}  // namespace

Result<SmtpEnvelope> PrepareSmtpMail(const SmtpSettings& settings, const SmtpMail& mail, const QString& mailer) {
  SmtpEnvelope envelope;
  envelope.host = settings.host.trimmed();
  if (envelope.host.isEmpty()) {
    return refuse<SmtpEnvelope>(QStringLiteral("The SMTP server is not set. Please enter it in the Email Settings."));
  }
  if (!isValidHost(envelope.host)) {
    return refuse<SmtpEnvelope>(QStringLiteral("\"%1\" is not a valid SMTP server name.").arg(envelope.host));
  }

  const QString portText = settings.port.trimmed();
  envelope.port = smtpStandardPort(settings.security);
  if (!portText.isEmpty()) {
    bool isNumber = false;
    const int port = portText.toInt(&isNumber, 10);
    if (!isNumber || port < 1 || port > 65535) {
      return refuse<SmtpEnvelope>(
          QStringLiteral("The SMTP port \"%1\" is not a number from 1 to 65535. Please correct it in the Email "
                         "Settings.")
              .arg(portText));
    }
    envelope.port = port;
  }
  envelope.security = settings.security;

  envelope.sender = settings.senderAddress.trimmed();
  if (!IsValidEmailAddress(envelope.sender)) {
    return refuse<SmtpEnvelope>(
        QStringLiteral("The sender address \"%1\" is not a valid e-mail address. Please correct it in the Email "
                       "Settings.")
            .arg(envelope.sender));
  }
  if (HasLineBreak(settings.senderName)) {
    return refuse<SmtpEnvelope>(QStringLiteral("The sender name must not contain line breaks."));
  }
  if (HasLineBreak(mail.subject)) {
    return refuse<SmtpEnvelope>(QStringLiteral("The subject must not contain line breaks."));
  }

  Result<QStringList> recipients = ParseRecipients(mail.to);
  if (!recipients) {
    return Result<SmtpEnvelope>::failure(recipients.error());
  }
  envelope.recipients = std::move(recipients).value();

  envelope.authenticate = settings.authenticate;
  if (settings.authenticate) {
    envelope.userName = settings.userName;
    envelope.password = settings.password;
  }
  envelope.caFile = settings.caFile;
  envelope.connectTimeoutSeconds = settings.connectTimeoutSeconds;
  envelope.stallTimeoutSeconds = settings.stallTimeoutSeconds;

  MimeMessageParts parts;
  parts.fromName = settings.senderName;
  parts.fromAddress = envelope.sender;
  parts.recipients = envelope.recipients;
  parts.subject = mail.subject;
  parts.htmlBody = mail.htmlBody;
  parts.textBody = mail.textBody;
  parts.mailer = mailer;
  envelope.message = BuildMimeMessage(parts);
  return envelope;
}

SmtpClient::SmtpClient(QObject* parent) : QObject(parent) { InitSmtpLibrary(); }

SmtpClient::~SmtpClient() {
  cancel_ = true;
  if (worker_.joinable()) {
    worker_.join();
  }
}

void SmtpClient::abort() { cancel_ = true; }

Status SmtpClient::send(const SmtpSettings& settings, const SmtpMail& mail, const QString& mailer) {
  if (sending_) {
    return Status::failure(
        ErrorInfo{0, QStringLiteral("SmtpClient"), QStringLiteral("A message is still being sent.")});
  }
  Result<SmtpEnvelope> prepared = PrepareSmtpMail(settings, mail, mailer);
  if (!prepared) {
    return Status::failure(prepared.error());
  }
  if (worker_.joinable()) {
    worker_.join();  // the previous send has reported already; its thread is ending
  }
  sending_ = true;
  cancel_ = false;
  worker_ = std::thread([this, envelope = std::move(prepared).value()] {
    SmtpTransferEvents events;
    events.progress = [this](int percent) {
      QMetaObject::invokeMethod(
          this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
    };
    events.status = [this](const QString& text) {
      QMetaObject::invokeMethod(
          this, [this, text] { emit status(text); }, Qt::QueuedConnection);
    };
    const Status result = RunSmtpTransfer(envelope, events, cancel_);
    QMetaObject::invokeMethod(
        this, [this, result] { finish(result); }, Qt::QueuedConnection);
  });
  return Status::success();
}

void SmtpClient::finish(const Status& result) {
  if (worker_.joinable()) {
    worker_.join();
  }
  sending_ = false;
  if (result) {
    emit sendSucceeded();
  } else {
    emit sendFailed(result.error().description);
  }
}

}  // namespace tidewell
