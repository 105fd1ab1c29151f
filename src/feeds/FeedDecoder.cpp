#include "feeds/FeedDecoder.h"

#include <QStringDecoder>

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace tidewell {

namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> prefix) {
  if (bytes.size() < static_cast<qsizetype>(prefix.size())) return false;
  qsizetype i = 0;
  for (unsigned char c : prefix) {
    if (static_cast<unsigned char>(bytes[i++]) != c) return false;
  }
  return true;
}

// The encoding a byte-order mark (or the UTF-16/32 shape of "<?") announces, and its length.
QString bomEncoding(const QByteArray& bytes, int* bomLength) {
  struct Mark {
    std::initializer_list<unsigned char> bytes;
    const char* name;
  };
  static const Mark marks[] = {
      {{0x00, 0x00, 0xFE, 0xFF}, "utf-32be"},
      {{0xFF, 0xFE, 0x00, 0x00}, "utf-32le"},
      {{0xEF, 0xBB, 0xBF}, "utf-8"},
      {{0xFE, 0xFF}, "utf-16be"},
      {{0xFF, 0xFE}, "utf-16le"},
  };
  for (const Mark& mark : marks) {
    if (startsWith(bytes, mark.bytes)) {
      *bomLength = static_cast<int>(mark.bytes.size());
      return QString::fromLatin1(mark.name);
    }
  }
  *bomLength = 0;
  if (startsWith(bytes, {0x3C, 0x00, 0x3F, 0x00})) return QStringLiteral("utf-16le");
  if (startsWith(bytes, {0x00, 0x3C, 0x00, 0x3F})) return QStringLiteral("utf-16be");
  return {};
}

QString normalizedName(QString name) {
  name = name.trimmed().toLower();
  if (name.size() >= 2 && (name.front() == QLatin1Char('"') || name.front() == QLatin1Char('\''))) {
    name = name.mid(1, name.size() - 2).trimmed();
  }
  if (name == QLatin1String("utf8")) return QStringLiteral("utf-8");
  // Feeds that say Latin-1 or ASCII are, in practice, Windows-1252 (as every
  // browser reads them): 0x80-0x9F are typographic quotes, not control codes.
  if (name == QLatin1String("iso-8859-1") || name == QLatin1String("iso8859-1") || name == QLatin1String("latin1") ||
      name == QLatin1String("latin-1") || name == QLatin1String("us-ascii") || name == QLatin1String("ascii") ||
      name == QLatin1String("iso_8859-1")) {
    return QStringLiteral("windows-1252");
  }
  return name;
}

bool isUtf8Name(const QString& name) { return name == QLatin1String("utf-8"); }

// iconv for the charsets Qt's converters do not know; invalid input bytes become U+FFFD.
std::optional<QString> decodeWithIconv(const QByteArray& bytes, const QString& encoding) {
  iconv_t cd = iconv_open("UTF-16LE", encoding.toLatin1().constData());
  // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is how iconv_open reports failure.
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  QString out;
  out.reserve(bytes.size());
  std::vector<char> buffer(16384);
  char* in = const_cast<char*>(bytes.constData());
  size_t inLeft = static_cast<size_t>(bytes.size());
  auto flush = [&](char* end) {
    const qsizetype units = (end - buffer.data()) / 2;
    out.append(reinterpret_cast<const QChar*>(buffer.data()), units);
  };
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    flush(outPtr);
    if (rc == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence at the end): one replacement per bad byte.
      out.append(QChar(QChar::ReplacementCharacter));
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

bool knownEncoding(const QString& name) {
  if (name.isEmpty()) return false;
  if (QStringDecoder(name.toLatin1().constData()).isValid()) return true;
  iconv_t cd = iconv_open("UTF-16LE", name.toLatin1().constData());
  // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is how iconv_open reports failure.
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

QString decodeAs(const QByteArray& bytes, const QString& encoding) {
  QStringDecoder decoder(encoding.toLatin1().constData());
  if (decoder.isValid()) return decoder.decode(bytes);
  if (auto text = decodeWithIconv(bytes, encoding)) return *text;
  QStringDecoder utf8(QStringDecoder::Utf8);
  return utf8.decode(bytes);
}

}  // namespace

bool FeedDecoder::isValidUtf8(const char* data, qsizetype size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const auto* end = p + size;
  while (p < end) {
    // Fast path over ASCII, eight bytes at a time.
    while (end - p >= 8) {
      quint64 word;
      std::memcpy(&word, p, 8);
      if (word & 0x8080808080808080ULL) break;
      p += 8;
    }
    if (p >= end) break;
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int extra;
    quint32 cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    p += extra + 1;
  }
  return true;
}

QString FeedDecoder::declaredEncoding(const QByteArray& bytes) {
  // Only an ASCII-compatible declaration at the very start counts.
  const QByteArray head = bytes.left(512);
  if (!head.startsWith("<?xml")) return {};
  const qsizetype end = head.indexOf("?>");
  if (end < 0) return {};
  const QByteArray decl = head.left(end);
  const qsizetype at = decl.indexOf("encoding");
  if (at < 0) return {};
  qsizetype i = at + 8;
  while (i < decl.size() && (decl[i] == ' ' || decl[i] == '\t' || decl[i] == '\r' || decl[i] == '\n')) ++i;
  if (i >= decl.size() || decl[i] != '=') return {};
  ++i;
  while (i < decl.size() && (decl[i] == ' ' || decl[i] == '\t' || decl[i] == '\r' || decl[i] == '\n')) ++i;
  if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
  const char quote = decl[i];
  const qsizetype close = decl.indexOf(quote, i + 1);
  if (close < 0) return {};
  return QString::fromLatin1(decl.mid(i + 1, close - i - 1)).trimmed().toLower();
}

QString FeedDecoder::detectEncoding(const QByteArray& bytes, const QString& httpCharset) {
  int bomLength = 0;
  QString bom = bomEncoding(bytes, &bomLength);
  if (!bom.isEmpty()) return bom;
  QString declared = normalizedName(declaredEncoding(bytes));
  if (knownEncoding(declared)) return declared;
  QString http = normalizedName(httpCharset);
  if (knownEncoding(http)) return http;
  return QStringLiteral("utf-8");
}

QByteArray FeedDecoder::toUtf8(const QByteArray& bytes, const QString& httpCharset) {
  int bomLength = 0;
  bomEncoding(bytes, &bomLength);
  const QString encoding = detectEncoding(bytes, httpCharset);
  if (isUtf8Name(encoding)) {
    const char* data = bytes.constData() + bomLength;
    const qsizetype size = bytes.size() - bomLength;
    if (isValidUtf8(data, size)) return bomLength == 0 ? bytes : bytes.mid(bomLength);
  }
  return toText(bytes, httpCharset).toUtf8();
}

QString FeedDecoder::toText(const QByteArray& bytes, const QString& httpCharset) {
  int bomLength = 0;
  bomEncoding(bytes, &bomLength);
  const QString encoding = detectEncoding(bytes, httpCharset);
  const QByteArray body = bomLength == 0 ? bytes : bytes.mid(bomLength);
  if (isUtf8Name(encoding)) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    return utf8.decode(body);
  }
  return decodeAs(body, encoding);
}

}  // namespace tidewell
