#include "email/SmtpTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace tidewell {

namespace {

// State shared with libcurl's callbacks for one transfer.
struct TransferState {
  const SmtpEnvelope* envelope = nullptr;
  const SmtpTransferEvents* events = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  qsizetype readOffset = 0;
  int lastPercent = -1;
  QString lastErrorReply;  // the server's last reply with a 4xx/5xx code
  QString lastPhase;

  void status(const QString& text) {
    if (text != lastPhase) {
      lastPhase = text;
      if (events->status) {
        events->status(text);
      }
    }
  }
  void progress(int percent) {
    if (percent != lastPercent) {
      lastPercent = percent;
      if (events->progress) {
        events->progress(percent);
      }
    }
  }
};

size_t readMessage(char* buffer, size_t size, size_t count, void* userData) {
  auto* state = static_cast<TransferState*>(userData);
  const QByteArray& message = state->envelope->message;
  const auto left = static_cast<size_t>(message.size() - state->readOffset);
  const size_t n = std::min(left, size * count);
  std::memcpy(buffer, message.constData() + state->readOffset, n);
  state->readOffset += static_cast<qsizetype>(n);
  return n;
}

// libcurl reports a total of 0 for SMTP uploads, so the share is taken from
// the size of the message being sent.
int progressCallback(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
  auto* state = static_cast<TransferState*>(userData);
  if (state->cancel->load()) {
    return 1;
  }
  const auto total = static_cast<curl_off_t>(state->envelope->message.size());
  if (total > 0 && uploaded > 0) {
    state->progress(static_cast<int>(std::min<curl_off_t>(100, uploaded * 100 / total)));
  }
  return 0;
}

// The dialogue as it goes: server replies are kept for the failure report and
// the commands sent give the status texts. Nothing is logged; the commands are
// only compared with fixed words, so login data goes nowhere.
int debugCallback(CURL*, curl_infotype type, char* data, size_t size, void* userData) {
  auto* state = static_cast<TransferState*>(userData);
  if (type == CURLINFO_HEADER_IN) {
    const QString text = QString::fromUtf8(data, static_cast<qsizetype>(size));
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
      const QString line = rawLine.trimmed();
      if (line.isEmpty()) {
        continue;
      }
      if (line.size() >= 3 && (line[0] == QLatin1Char('4') || line[0] == QLatin1Char('5')) && line[1].isDigit() &&
          line[2].isDigit()) {
        state->lastErrorReply = line;
      }
    }
    if (state->lastPhase.startsWith(QLatin1String("Connecting"))) {
      state->status(QStringLiteral("Connected to %1.").arg(state->envelope->host));
    }
  } else if (type == CURLINFO_HEADER_OUT) {
    const QByteArray command = QByteArray(data, static_cast<qsizetype>(size)).left(10).toUpper();
    if (command.startsWith("STARTTLS")) {
      state->status(QStringLiteral("Securing connection ..."));
    } else if (command.startsWith("AUTH")) {
      state->status(QStringLiteral("Authenticating ..."));
    } else if (command.startsWith("MAIL FROM")) {
      state->status(QStringLiteral("Sending message ..."));
    } else if (command.startsWith("QUIT")) {
      state->status(QStringLiteral("Disconnecting ..."));
    }
  }
  return 0;
}

QString hidePassword(QString text, const QString& password) {
  // Very short passwords would blot out ordinary words; the servers' replies
  // do not echo them anyway, this only guards against an odd one that does.
  if (password.size() >= 4) {
    text.replace(password, QStringLiteral("********"));
  }
  return text;
}

// The failures of a TLS handshake or of the server's certificate.
bool isTlsFailure(CURLcode code) {
  switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS: return true;
    default: return false;
  }
}

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

const QString kSmtpNoStartTls = QStringLiteral(
    "The SMTP server does not offer an encrypted connection (STARTTLS), so nothing was sent and no login data left "
    "this computer. If the server really works without encryption, choose the security \"None\" in the Email "
    "Settings.");
const QString kSmtpNotSecured = QStringLiteral(
    "The connection to the SMTP server could not be encrypted, so nothing was sent and no login data left this "
    "computer: ");

void InitSmtpLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Status RunSmtpTransfer(const SmtpEnvelope& envelope, const SmtpTransferEvents& events,
                       const std::atomic<bool>& cancel) {
  InitSmtpLibrary();
  const auto fail = [&envelope](const QString& description) {
    return Status::failure(ErrorInfo{0, QStringLiteral("SmtpClient"), hidePassword(description, envelope.password)});
  };

  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) {
    return fail(QStringLiteral("The mail library could not be started."));
  }
  CURL* h = curl.get();

  TransferState state;
  state.envelope = &envelope;
  state.events = &events;
  state.cancel = &cancel;

  const bool implicitTls = envelope.security == SmtpSecurity::Tls;
  QString host = envelope.host;
  if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['))) {
    host = QLatin1Char('[') + host + QLatin1Char(']');  // an IPv6 literal
  }
  const QByteArray url =
      (QLatin1String(implicitTls ? "smtps://" : "smtp://") + host + QLatin1Char(':') + QString::number(envelope.port))
          .toUtf8();
  const QByteArray from = '<' + envelope.sender.toUtf8() + '>';
  const QByteArray user = envelope.userName.toUtf8();
  const QByteArray password = envelope.password.toUtf8();
  const QByteArray caFile = envelope.caFile.toLocal8Bit();

  std::unique_ptr<curl_slist, SlistDeleter> recipients;
  for (const QString& recipient : envelope.recipients) {
    const QByteArray rcpt = '<' + recipient.toUtf8() + '>';
    curl_slist* grown = curl_slist_append(recipients.get(), rcpt.constData());
    if (!grown) {
      return fail(QStringLiteral("Out of memory."));
    }
    (void)recipients.release();
    recipients.reset(grown);
  }

  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(h, CURLOPT_URL, url.constData());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  // "All" makes curl end the session when STARTTLS is not offered or fails,
  // right after the greeting, before a login or an address is sent. "None"
  // means no STARTTLS at all: an opportunistic upgrade would fail the send on
  // a certificate the user never asked to be checked.
  const bool encrypted = envelope.security != SmtpSecurity::None;
  curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(encrypted ? CURLUSESSL_ALL : CURLUSESSL_NONE));
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  if (!caFile.isEmpty()) {
    curl_easy_setopt(h, CURLOPT_CAINFO, caFile.constData());
  }
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(envelope.connectTimeoutSeconds));
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(envelope.stallTimeoutSeconds));
  if (envelope.authenticate) {
    curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, password.constData());
  }
  curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.constData());
  curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients.get());
  curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(envelope.message.size()));
  curl_easy_setopt(h, CURLOPT_READFUNCTION, readMessage);
  curl_easy_setopt(h, CURLOPT_READDATA, &state);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, progressCallback);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state);
  // Verbose only so the debug callback sees the dialogue; it prints nothing.
  curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, debugCallback);
  curl_easy_setopt(h, CURLOPT_DEBUGDATA, &state);

  state.status(QStringLiteral("Connecting to %1:%2 ...").arg(envelope.host).arg(envelope.port));
  const CURLcode code = curl_easy_perform(h);
  if (code == CURLE_OK) {
    state.progress(100);
    state.status(QStringLiteral("Message sent."));
    return Status::success();
  }
  if (code == CURLE_ABORTED_BY_CALLBACK && cancel.load()) {
    return fail(QStringLiteral("The send was cancelled."));
  }

  if (code == CURLE_USE_SSL_FAILED && envelope.security == SmtpSecurity::StartTls) {
    return fail(kSmtpNoStartTls);
  }
  QString explanation = QString::fromUtf8(errorBuffer).trimmed();
  if (explanation.isEmpty()) {
    explanation = QString::fromUtf8(curl_easy_strerror(code));
  }
  if (encrypted && isTlsFailure(code)) {
    explanation = kSmtpNotSecured + explanation;
  }
  // Only a refusal explains anything; a "250 OK" before a time-out does not.
  const QString& reply = state.lastErrorReply;
  if (!reply.isEmpty() && !explanation.contains(reply)) {
    explanation += QStringLiteral("\r\nServer reply: ") + reply;
  }
  return fail(explanation);
}

}  // namespace tidewell
