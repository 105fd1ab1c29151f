#include "feeds/ExportFileName.h"

#include <QRegularExpression>

namespace tidewell {

namespace {

constexpr qsizetype kMaxBaseLength = 80;

bool reservedOnWindows(const QString& name) {
  static const QRegularExpression reserved(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])$"),
                                           QRegularExpression::CaseInsensitiveOption);
  return reserved.match(name).hasMatch();
}

QString trimBlanksAndDots(const QString& text) {
  qsizetype from = 0;
  qsizetype to = text.size();
  auto junk = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('.'); };
  while (from < to && junk(text[from])) ++from;
  while (to > from && junk(text[to - 1])) --to;
  return text.mid(from, to - from);
}

}  // namespace

QString SuggestExportFileName(const QString& title, const QString& extension) {
  QString base;
  base.reserve(title.size());
  for (const QChar c : title) {
    const bool forbidden = c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
                           QStringLiteral("<>:\"/\\|?*").contains(c) || c.isSpace();
    base += forbidden ? QChar(QLatin1Char(' ')) : c;
  }
  static const QRegularExpression blanks(QStringLiteral(" {2,}"));
  base.replace(blanks, QStringLiteral(" "));
  base = trimBlanksAndDots(base);
  if (base.size() > kMaxBaseLength) {
    // Never cut a surrogate pair in two.
    qsizetype cut = kMaxBaseLength;
    if (base[cut - 1].isHighSurrogate()) --cut;
    base = trimBlanksAndDots(base.left(cut));
  }
  if (base.isEmpty()) base = QStringLiteral("item");
  if (reservedOnWindows(base)) base += QLatin1Char('_');
  return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

}  // namespace tidewell
