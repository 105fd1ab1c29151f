#pragma once

#include <QByteArray>
#include <QString>

namespace tidewell {

// Turns a feed's bytes into UTF-8 for the XML parser. The encoding is taken
// from, in order: a byte-order mark, the XML declaration's encoding (any
// charset Qt's converters or iconv know), the HTTP charset, else UTF-8. A
// byte that is not valid in its encoding becomes U+FFFD, so one bad byte
// never costs the whole feed. The XML declaration stays in the text; the
// parser is told the bytes are UTF-8 and ignores what it says.
class FeedDecoder {
 public:
  // UTF-8 bytes without a byte-order mark.
  static QByteArray toUtf8(const QByteArray& bytes, const QString& httpCharset = {});
  // The same as text.
  static QString toText(const QByteArray& bytes, const QString& httpCharset = {});
  // The encoding toUtf8 would use, lower-case ("utf-8", "windows-1252", "utf-16le" ...).
  static QString detectEncoding(const QByteArray& bytes, const QString& httpCharset = {});
  // The encoding named in a leading XML declaration, "" when there is none.
  static QString declaredEncoding(const QByteArray& bytes);
  // True when the bytes are well-formed UTF-8.
  static bool isValidUtf8(const char* data, qsizetype size);
};

}  // namespace tidewell
