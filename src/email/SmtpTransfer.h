#pragma once

#include "core/Result.h"
#include "settings/SmtpSecurity.h"

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
  SmtpSecurity security = SmtpSecurity::StartTls;
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

// Runs one SMTP dialogue with libcurl and blocks until it ends, secured as the
// envelope says: TLS from the first byte, a STARTTLS upgrade that must succeed
// before anything else is said (no login, no mail otherwise), or no
// encryption at all; login only when asked. A failure's description is curl's
// explanation followed by the server's last reply, with the password never
// shown; a connection that could not be secured says so in words of its own
// (kSmtpNoStartTls, kSmtpNotSecured). Setting cancel aborts the transfer at
// its next progress check.
// The explanations of a session that could not be secured. The second is
// followed by the library's reason.
extern const QString kSmtpNoStartTls;
extern const QString kSmtpNotSecured;

Status RunSmtpTransfer(const SmtpEnvelope& envelope, const SmtpTransferEvents& events, const std::atomic<bool>& cancel);

// Makes libcurl ready for use from worker threads; call on the main thread
// before the first transfer. Safe to call more than once.
void InitSmtpLibrary();

}  // namespace tidewell
