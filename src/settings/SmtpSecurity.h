#pragma once

#include <QString>

#include <optional>

namespace tidewell {

class UserMessages;
class mSettings;

// How the SMTP session is protected. Tls speaks TLS from the first byte (the
// "smtps" port 465); StartTls upgrades a plain connection and gives up, before
// any login, when the server cannot; None never encrypts, not even when the
// server offers STARTTLS, so what the user chose is what happens.
enum class SmtpSecurity { Tls, StartTls, None };

// The stored and command-line names: "tls", "starttls", "none".
QString smtpSecurityName(SmtpSecurity security);
// The security of a name (any case, surrounding blanks ignored); none for
// anything else.
std::optional<SmtpSecurity> parseSmtpSecurity(const QString& name);
// The port a blank port setting stands for: 465, 587 or 25.
int smtpStandardPort(SmtpSecurity security);

// The choice for a configuration saved before there was one. Port 465 always
// meant TLS. A login, or the submission port 587, gets STARTTLS required:
// such a configuration upgraded whenever the server offered it, and a server
// that does not is better refused than handed the password in plain text.
// Everything else (a relay on port 25 without a login) keeps sending plain.
SmtpSecurity legacySmtpSecurity(const QString& port, bool authenticate);

// What a user's consent to an unencrypted login is tied to: the server, the
// port and the user name. Any change of them asks again.
QString plainLoginFingerprint(const QString& server, const QString& port, const QString& user);
// Whether a login needs the user's consent first: the security is None, the
// login is on, and allowed (a stored fingerprint) is not this configuration's.
bool plainLoginNeedsConsent(SmtpSecurity security, bool authenticate, const QString& server, const QString& port,
                            const QString& user, const QString& allowed);

// Before a send: asks whether the login may go out unencrypted when the
// settings need that consent; Yes is written to the settings, so the question
// comes once per server, port and user name. True when the send may go ahead.
bool ConfirmPlainLogin(mSettings& settings, UserMessages& messages);

// The question and its title.
extern const QString kPlainLoginQuestion;
extern const QString kPlainLoginTitle;

}  // namespace tidewell
