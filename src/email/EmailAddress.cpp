#include "email/EmailAddress.h"

#include <QRegularExpression>

namespace tidewell {

namespace {

constexpr int kMaxAddressLength = 254;  // the longest path an SMTP server must take

const QRegularExpression& addressPattern() {
  static const QRegularExpression pattern(QStringLiteral(
      R"(^[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*)"
      R"(@[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$)"));
  return pattern;
}

ErrorInfo refusal(const QString& description) { return ErrorInfo{0, QStringLiteral("SmtpClient"), description}; }

}  // namespace

bool IsValidEmailAddress(const QString& address) {
  if (address.isEmpty() || address.size() > kMaxAddressLength) {
    return false;
  }
  const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
  if (at > 64) {  // longest local part
    return false;
  }
  return addressPattern().match(address).hasMatch();
}

bool HasLineBreak(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u == u'\r' || u == u'\n' || u == 0x0B || u == 0x0C || u == 0x85 || u == 0x2028 || u == 0x2029) {
      return true;
    }
  }
  return false;
}

Result<QStringList> ParseRecipients(const QString& toText) {
  if (HasLineBreak(toText)) {
    return Result<QStringList>::failure(
        refusal(QStringLiteral("The recipient list contains a line break. Please enter the addresses on one line, "
                               "separated by semi-colons (;).")));
  }
  QStringList recipients;
  for (const QString& rawPart : toText.split(QLatin1Char(';'))) {
    const QString part = rawPart.trimmed();
    if (part.isEmpty()) {
      continue;
    }
    QString address = part;
    // "Display Name <address>" as copied from a mail program.
    if (part.endsWith(QLatin1Char('>'))) {
      const qsizetype open = part.lastIndexOf(QLatin1Char('<'));
      if (open >= 0) {
        address = part.mid(open + 1, part.size() - open - 2).trimmed();
      }
    }
    if (!IsValidEmailAddress(address)) {
      return Result<QStringList>::failure(
          refusal(QStringLiteral("\"%1\" is not a valid e-mail address. Nothing was sent.").arg(part)));
    }
    if (!recipients.contains(address, Qt::CaseInsensitive)) {
      recipients << address;
    }
  }
  if (recipients.isEmpty()) {
    return Result<QStringList>::failure(
        refusal(QStringLiteral("Please enter at least one recipient address in the \"To:\" field.")));
  }
  return recipients;
}

}  // namespace tidewell
