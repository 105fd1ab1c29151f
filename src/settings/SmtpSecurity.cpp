#include "settings/SmtpSecurity.h"

#include "core/UserMessages.h"
#include "core/clsMD5.h"
#include "settings/mSettings.h"

namespace tidewell {

namespace {

constexpr int kImplicitTlsPort = 465;
constexpr int kSubmissionPort = 587;
constexpr int kRelayPort = 25;

}  // namespace

const QString kPlainLoginQuestion = QStringLiteral(
    "With the security \"None\" your user name and password go to the SMTP server unencrypted, and anyone on the "
    "network in between can read them. Send them unencrypted anyway?");
const QString kPlainLoginTitle = QStringLiteral("Unencrypted Login?");

QString smtpSecurityName(SmtpSecurity security) {
  switch (security) {
    case SmtpSecurity::Tls: return QStringLiteral("tls");
    case SmtpSecurity::StartTls: return QStringLiteral("starttls");
    case SmtpSecurity::None: break;
  }
  return QStringLiteral("none");
}

std::optional<SmtpSecurity> parseSmtpSecurity(const QString& name) {
  for (const SmtpSecurity security : {SmtpSecurity::Tls, SmtpSecurity::StartTls, SmtpSecurity::None}) {
    if (name.trimmed().compare(smtpSecurityName(security), Qt::CaseInsensitive) == 0) return security;
  }
  return std::nullopt;
}

int smtpStandardPort(SmtpSecurity security) {
  switch (security) {
    case SmtpSecurity::Tls: return kImplicitTlsPort;
    case SmtpSecurity::StartTls: return kSubmissionPort;
    case SmtpSecurity::None: break;
  }
  return kRelayPort;
}

SmtpSecurity legacySmtpSecurity(const QString& port, bool authenticate) {
  bool isNumber = false;
  const int number = port.trimmed().toInt(&isNumber, 10);
  if (isNumber && number == kImplicitTlsPort) return SmtpSecurity::Tls;
  if (authenticate || (isNumber && number == kSubmissionPort)) return SmtpSecurity::StartTls;
  return SmtpSecurity::None;
}

QString plainLoginFingerprint(const QString& server, const QString& port, const QString& user) {
  // A digest, so the file does not hold a second copy of the login details.
  const QString joined = server.trimmed().toLower() + QLatin1Char('\n') + port.trimmed() + QLatin1Char('\n') + user;
  return clsMD5().GetMD5(joined);
}

bool plainLoginNeedsConsent(SmtpSecurity security, bool authenticate, const QString& server, const QString& port,
                            const QString& user, const QString& allowed) {
  return security == SmtpSecurity::None && authenticate && allowed != plainLoginFingerprint(server, port, user);
}

bool ConfirmPlainLogin(mSettings& settings, UserMessages& messages) {
  if (!settings.plainLoginNeedsConsent()) return true;
  if (!messages.askYesNo(kPlainLoginQuestion, kPlainLoginTitle)) return false;
  // A consent that could not be written has been reported; this send still
  // has the user's word.
  (void)settings.SavePlainLoginConsent();
  return true;
}

}  // namespace tidewell
