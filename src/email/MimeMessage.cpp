#include "email/MimeMessage.h"

#include <QPair>
#include <QTimeZone>
#include <QUuid>

#include <array>

namespace tidewell {

namespace {

constexpr qsizetype kMaxEncodedWord = 75;
constexpr qsizetype kMaxPlainHeaderText = 66;  // "Subject: " + text stays within 78 characters
constexpr qsizetype kFoldedLineLength = 78;
constexpr qsizetype kMaxWordOnALine = 900;  // far below the 998 octets a line may hold
constexpr qsizetype kHeaderNameLength = 9;  // "Subject: "
constexpr qsizetype kMaxQpLine = 76;

// Printable ASCII that a reader takes literally.
bool isLiteralHeaderText(const QString& text) {
  if (text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '))) {
    return false;
  }
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
      return false;
    }
  }
  // Text that looks like an encoded word would be decoded by the reader.
  return !text.contains(QLatin1String("=?"));
}

bool isPlainHeaderText(const QString& text) { return text.size() <= kMaxPlainHeaderText && isLiteralHeaderText(text); }

// Long literal text folded at blanks onto continuation lines (the fold takes
// the place of a blank, so unfolding restores the text). Empty when a single
// word would not fit a line.
QByteArray foldHeaderText(const QString& text) {
  QByteArray out;
  qsizetype lineLength = kHeaderNameLength;
  bool first = true;
  for (const QString& word : text.split(QLatin1Char(' '))) {
    if (word.size() > kMaxWordOnALine) {
      return {};
    }
    if (first) {
      first = false;
    } else if (!word.isEmpty() && lineLength + 1 + word.size() > kFoldedLineLength) {
      out += "\r\n ";
      lineLength = 1;
      out += word.toLatin1();
      lineLength += word.size();
      continue;
    } else {
      out += ' ';
      ++lineLength;
    }
    out += word.toLatin1();
    lineLength += word.size();
  }
  return out;
}

// Length of the UTF-8 sequence that starts with lead.
int utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

QByteArray hexByte(unsigned char byte) {
  static const char digits[] = "0123456789ABCDEF";
  QByteArray out("=");
  out += digits[byte >> 4];
  out += digits[byte & 0x0F];
  return out;
}

}  // namespace

QByteArray EncodeHeaderText(const QString& text) {
  if (isPlainHeaderText(text)) {
    return text.toLatin1();
  }
  if (isLiteralHeaderText(text)) {
    QByteArray folded = foldHeaderText(text);
    if (!folded.isEmpty()) {
      return folded;
    }
  }
  static const QByteArray prefix("=?UTF-8?B?");
  static const QByteArray suffix("?=");
  // 4 base64 characters per 3 bytes: the largest whole number of bytes whose
  // encoding fits one word beside its prefix and suffix.
  const qsizetype maxBytes = (kMaxEncodedWord - prefix.size() - suffix.size()) / 4 * 3;
  const QByteArray utf8 = text.toUtf8();
  QList<QByteArray> words;
  qsizetype start = 0;
  while (start < utf8.size()) {
    qsizetype end = start;
    while (end < utf8.size()) {
      const int len = utf8SequenceLength(static_cast<unsigned char>(utf8[end]));
      if (end + len - start > maxBytes) {
        break;
      }
      end += len;
    }
    if (end == start) {  // cannot happen with valid UTF-8; never loop forever
      end = start + 1;
    }
    words << prefix + utf8.mid(start, end - start).toBase64() + suffix;
    start = end;
  }
  return words.join("\r\n ");
}

QByteArray FormatMailbox(const QString& displayName, const QString& address) {
  const QString name = displayName.trimmed();
  if (name.isEmpty()) {
    return address.toLatin1();
  }
  QByteArray shown;
  if (isPlainHeaderText(name)) {
    QString quoted = name;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    shown = '"' + quoted.toLatin1() + '"';
  } else {
    shown = EncodeHeaderText(name);
  }
  return shown + " <" + address.toLatin1() + '>';
}

QByteArray FormatMailDate(const QDateTime& dateTime) {
  static const std::array<const char*, 7> days{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static const std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const QDate date = dateTime.date();
  const QTime time = dateTime.time();
  const int offsetMinutes = dateTime.offsetFromUtc() / 60;
  const int absOffset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 %8%9%10")
      .arg(QLatin1String(days[date.dayOfWeek() - 1]))
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(QLatin1String(months[date.month() - 1]))
      .arg(date.year(), 4, 10, QLatin1Char('0'))
      .arg(time.hour(), 2, 10, QLatin1Char('0'))
      .arg(time.minute(), 2, 10, QLatin1Char('0'))
      .arg(time.second(), 2, 10, QLatin1Char('0'))
      .arg(QLatin1Char(offsetMinutes < 0 ? '-' : '+'))
      .arg(absOffset / 60, 2, 10, QLatin1Char('0'))
      .arg(absOffset % 60, 2, 10, QLatin1Char('0'))
      .toLatin1();
}

QByteArray EncodeQuotedPrintable(const QString& text) {
  QString normalized = text;
  normalized.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QList<QByteArray> lines = normalized.toUtf8().split('\n');

  QByteArray out;
  out.reserve(normalized.size() * 11 / 10 + 64);
  for (qsizetype li = 0; li < lines.size(); ++li) {
    const QByteArray& line = lines[li];
    QByteArray current;
    for (qsizetype i = 0; i < line.size(); ++i) {
      const auto byte = static_cast<unsigned char>(line[i]);
      const bool last = i + 1 == line.size();
      QByteArray token;
      // "From " opening a line is mangled by mailbox files on its way; encoded it is not.
      const bool fromLine = i == 0 && line.startsWith("From ");
      if (!fromLine && ((byte >= 33 && byte <= 126 && byte != '=') || ((byte == ' ' || byte == '\t') && !last))) {
        token = QByteArray(1, static_cast<char>(byte));
      } else {
        token = hexByte(byte);
      }
      // Leave room for the "=" of a soft break, unless this is the line's end.
      const qsizetype limit = last ? kMaxQpLine : kMaxQpLine - 1;
      if (current.size() + token.size() > limit) {
        out += current + "=\r\n";
        current.clear();
      }
      current += token;
    }
    out += current;
    if (li + 1 < lines.size()) {
      out += "\r\n";
    }
  }
  return out;
}

QByteArray BuildMimeMessage(const MimeMessageParts& parts) {
  const QDateTime date = parts.date.isValid() ? parts.date : QDateTime::currentDateTime();
  QString messageId = parts.messageId;
  if (messageId.isEmpty()) {
    const qsizetype at = parts.fromAddress.lastIndexOf(QLatin1Char('@'));
    const QString domain = at >= 0 ? parts.fromAddress.mid(at + 1) : QStringLiteral("localhost");
    messageId = QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('@') + domain;
  }

  QByteArray to;
  for (const QString& recipient : parts.recipients) {
    if (!to.isEmpty()) {
      to += ",\r\n ";
    }
    to += recipient.toLatin1();
  }

  QByteArray message;
  message += "From: " + FormatMailbox(parts.fromName, parts.fromAddress) + "\r\n";
  message += "To: " + to + "\r\n";
  message += "Subject: " + EncodeHeaderText(parts.subject) + "\r\n";
  message += "Date: " + FormatMailDate(date) + "\r\n";
  message += "Message-ID: <" + messageId.toLatin1() + ">\r\n";
  if (!parts.mailer.isEmpty()) {
    message += "X-Mailer: " + EncodeHeaderText(parts.mailer) + "\r\n";
  }
  message += "MIME-Version: 1.0\r\n";
  if (parts.textBody.isEmpty()) {
    message += "Content-Type: text/html; charset=UTF-8\r\n";
    message += "Content-Transfer-Encoding: quoted-printable\r\n";
    message += "\r\n";
    message += EncodeQuotedPrintable(parts.htmlBody);
    message += "\r\n";
    return message;
  }
  // "=_" never occurs in quoted-printable text (a "=" is written "=3D"), so
  // the boundary cannot turn up inside a part.
  const QByteArray boundary = "=_alt_" + QUuid::createUuid().toString(QUuid::Id128).toLatin1();
  message += "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n";
  message += "\r\n";
  const QPair<QByteArray, const QString*> bodies[2] = {{"text/plain", &parts.textBody}, {"text/html", &parts.htmlBody}};
  for (const auto& [type, body] : bodies) {
    message += "--" + boundary + "\r\n";
    message += "Content-Type: " + type + "; charset=UTF-8\r\n";
    message += "Content-Transfer-Encoding: quoted-printable\r\n";
    message += "\r\n";
    message += EncodeQuotedPrintable(*body);
    message += "\r\n";
  }
  message += "--" + boundary + "--\r\n";
  return message;
}

}  // namespace tidewell
