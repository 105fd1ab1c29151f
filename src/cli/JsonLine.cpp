#include "cli/JsonLine.h"

#include <cstring>

namespace tidewell::cli {

namespace {

// The escape of one byte, or nullptr when it is written as it is. Bytes of
// multi-byte UTF-8 sequences are never escaped.
const char* escapeOf(unsigned char c, char (&scratch)[7]) {
  switch (c) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    case '\b': return "\\b";
    case '\f': return "\\f";
    default: break;
  }
  if (c >= 0x20) return nullptr;
  static const char kHex[] = "0123456789abcdef";
  std::memcpy(scratch, "\\u00", 4);
  scratch[4] = kHex[c >> 4];
  scratch[5] = kHex[c & 0xf];
  scratch[6] = '\0';
  return scratch;
}

}  // namespace

void appendJsonString(QByteArray& out, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  out += '"';
  const char* data = utf8.constData();
  const qsizetype size = utf8.size();
  qsizetype runStart = 0;
  char scratch[7];
  for (qsizetype i = 0; i < size; ++i) {
    const char* escape = escapeOf(static_cast<unsigned char>(data[i]), scratch);
    if (!escape) continue;
    out.append(data + runStart, i - runStart);
    out.append(escape);
    runStart = i + 1;
  }
  out.append(data + runStart, size - runStart);
  out += '"';
}

void appendJsonLine(QByteArray& out, std::initializer_list<std::pair<const char*, QString>> fields) {
  out += '{';
  bool first = true;
  for (const auto& [key, value] : fields) {
    if (!first) out += ',';
    first = false;
    out += '"';
    out += key;
    out += "\":";
    appendJsonString(out, value);
  }
  out += "}\n";
}

}  // namespace tidewell::cli
