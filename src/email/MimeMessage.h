#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tidewell {

// The parts of one HTML mail. Texts must be free of line breaks (checked by
// the caller); addresses must be valid.
struct MimeMessageParts {
  QString fromName;
  QString fromAddress;
  QStringList recipients;
  QString subject;
  QString htmlBody;
  // Non-empty: sent as the plain-text alternative before the HTML part, for
  // readers that show no HTML.
  QString textBody;
  QDateTime date;     // the current time when invalid
  QString messageId;  // without angle brackets; generated when empty
  QString mailer;     // X-Mailer, left out when empty
};

// A header text as is when it is printable ASCII (folded at blanks when
// long), otherwise as RFC 2047 "B" encoded words of UTF-8, each at most 75
// characters, folded onto continuation lines. Never splits a character across
// two words.
QByteArray EncodeHeaderText(const QString& text);

// A mailbox for From/To: address alone, or display name (quoted, or encoded
// when not ASCII) and address in angle brackets.
QByteArray FormatMailbox(const QString& displayName, const QString& address);

// RFC 5322 date, English names, numeric zone: "Thu, 10 Dec 2026 05:30:40 +0000".
QByteArray FormatMailDate(const QDateTime& dateTime);

// Quoted-printable of the UTF-8 text; line ends become CRLF and every output
// line stays within 76 characters.
QByteArray EncodeQuotedPrintable(const QString& text);

// The whole message with CRLF line ends, ready for the DATA phase.
QByteArray BuildMimeMessage(const MimeMessageParts& parts);

}  // namespace tidewell
