#include "feeds/SearchText.h"

#include <QHash>
#include <QStringList>

namespace tidewell {

namespace {

// The named references feeds commonly carry; anything else is kept as written.
const QHash<QString, char32_t>& namedReferences() {
  static const QHash<QString, char32_t> table = {
      {QStringLiteral("amp"), U'&'},    {QStringLiteral("lt"), U'<'},     {QStringLiteral("gt"), U'>'},
      {QStringLiteral("quot"), U'"'},   {QStringLiteral("apos"), U'\''},  {QStringLiteral("nbsp"), U' '},
      {QStringLiteral("eacute"), U'é'}, {QStringLiteral("egrave"), U'è'}, {QStringLiteral("aacute"), U'á'},
      {QStringLiteral("agrave"), U'à'}, {QStringLiteral("auml"), U'ä'},   {QStringLiteral("ouml"), U'ö'},
      {QStringLiteral("uuml"), U'ü'},   {QStringLiteral("Auml"), U'Ä'},   {QStringLiteral("Ouml"), U'Ö'},
      {QStringLiteral("Uuml"), U'Ü'},   {QStringLiteral("szlig"), U'ß'},  {QStringLiteral("ccedil"), U'ç'},
      {QStringLiteral("ntilde"), U'ñ'}, {QStringLiteral("oacute"), U'ó'}, {QStringLiteral("iacute"), U'í'},
      {QStringLiteral("uacute"), U'ú'}, {QStringLiteral("hellip"), U'…'}, {QStringLiteral("mdash"), U'—'},
      {QStringLiteral("ndash"), U'–'},  {QStringLiteral("rsquo"), U'’'},  {QStringLiteral("lsquo"), U'‘'},
      {QStringLiteral("rdquo"), U'”'},  {QStringLiteral("ldquo"), U'“'},
  };
  return table;
}

void appendCodePoint(QString& out, char32_t code) {
  if (code == 0 || code > 0x10FFFF) return;
  out += QString::fromUcs4(&code, 1);
}

// Decodes the reference starting at text[at] ('&'); returns the index after
// it, or at when it is not one.
qsizetype decodeReference(const QString& text, qsizetype at, QString& out) {
  const qsizetype end = text.indexOf(QLatin1Char(';'), at + 1);
  if (end < 0 || end - at > 12) return at;
  const QString name = text.mid(at + 1, end - at - 1);
  if (name.startsWith(QLatin1Char('#'))) {
    bool ok = false;
    const uint code = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'))
                          ? name.mid(2).toUInt(&ok, 16)
                          : name.mid(1).toUInt(&ok, 10);
    if (!ok) return at;
    appendCodePoint(out, code);
    return end + 1;
  }
  const auto found = namedReferences().constFind(name);
  if (found == namedReferences().constEnd()) return at;
  appendCodePoint(out, *found);
  return end + 1;
}

bool startsWithTag(const QString& text, qsizetype at, QLatin1String name) {
  return text.mid(at + 1, name.size()).compare(name, Qt::CaseInsensitive) == 0;
}

// Block elements and line breaks part the words on either side as the
// preview shows them; inline ones ("<b>har</b>bour") do not.
bool separatesWords(const QString& text, qsizetype at) {
  qsizetype i = at + 1;
  if (i < text.size() && text[i] == QLatin1Char('/')) ++i;
  QString name;
  while (i < text.size() && text[i].isLetterOrNumber() && name.size() < 12) name += text[i++].toLower();
  static const QStringList blocks = {
      QStringLiteral("p"),      QStringLiteral("div"),   QStringLiteral("br"),         QStringLiteral("li"),
      QStringLiteral("ul"),     QStringLiteral("ol"),    QStringLiteral("h1"),         QStringLiteral("h2"),
      QStringLiteral("h3"),     QStringLiteral("h4"),    QStringLiteral("h5"),         QStringLiteral("h6"),
      QStringLiteral("tr"),     QStringLiteral("td"),    QStringLiteral("th"),         QStringLiteral("table"),
      QStringLiteral("hr"),     QStringLiteral("img"),   QStringLiteral("blockquote"), QStringLiteral("pre"),
      QStringLiteral("script"), QStringLiteral("style"),
  };
  return name.isEmpty() || blocks.contains(name);
}

}  // namespace

QString SearchableText(const QString& html) {
  QString out;
  out.reserve(html.size());
  qsizetype i = 0;
  const qsizetype n = html.size();
  while (i < n) {
    const QChar c = html[i];
    if (c == QLatin1Char('<')) {
      // Script and style hold no words of the item.
      for (QLatin1String skipped : {QLatin1String("script"), QLatin1String("style")}) {
        if (!startsWithTag(html, i, skipped)) continue;
        const qsizetype close = html.indexOf(QLatin1String("</") + skipped, i + 1, Qt::CaseInsensitive);
        i = close < 0 ? n : close;
        break;
      }
      const qsizetype end = html.indexOf(QLatin1Char('>'), i);
      if (separatesWords(html, i)) out += QLatin1Char(' ');
      i = end < 0 ? n : end + 1;
      continue;
    }
    if (c == QLatin1Char('&')) {
      const qsizetype next = decodeReference(html, i, out);
      if (next != i) {
        i = next;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace tidewell
