#pragma once

#include <QByteArray>
#include <QString>

namespace tidewell {

// RFC 1321 MD5, the project's own implementation. Item ids are the digest of
// an item's link, so this must never change its output.
class clsMD5 {
 public:
  // Lower-case hexadecimal digest of the text's UTF-8 bytes (for ASCII text,
  // which links are, identical to hashing the ANSI bytes).
  QString GetMD5(const QString& text) const;
  static QString digestHex(const QByteArray& bytes);
};

}  // namespace tidewell
