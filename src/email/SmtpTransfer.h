#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace tidewell {

// One checked, ready-to-send mail: where to, as whom, and the message bytes.
struct SmtpEnvelope {
  QString host;
  int port = 25;
  bool implicitTls = false;  // TLS from the first byte (smtps) instead of STARTTLS
  bool authenticate = false;
  QString userName;
  QString password;
  QString sender;
  QStringList recipients;
  QByteArray message;
  QString caFile;
  int connectTimeoutSeconds = 30;
  int stallTimeoutSeconds = 60;
};

// Reports from a running transfer. They are called on the thread that runs it.
struct SmtpTransferEvents {
  std::function<void(int percent)> progress;
  std::function<void(const QString& text)> status;
};

// Runs one SMTP dialogue with libcurl and blocks until it ends: implicit TLS
// when asked, otherwise an upgrade with STARTTLS whenever the server offers
// it; login only when asked. A failure's description is curl's explanation
// followed by the server's last reply, with the password never shown. Setting
// cancel aborts the transfer at its next progress check.
Status RunSmtpTransfer(const SmtpEnvelope& envelope, const SmtpTransferEvents& events, const std::atomic<bool>& cancel);

// Makes libcurl ready for use from worker threads; call on the main thread
// before the first transfer. Safe to call more than once.
void InitSmtpLibrary();

}  // namespace tidewell
