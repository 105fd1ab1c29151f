#include "feeds/FeedLinks.h"

#include <QRegularExpression>

#include <vector>

namespace tidewell {

namespace {

bool isAbsoluteOrSpecial(const QString& reference) {
  const QString trimmed = reference.trimmed();
  if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) return true;
  // A scheme ("http:", "mailto:", "data:") before any "/", "?" or "#".
  for (qsizetype i = 0; i < trimmed.size(); ++i) {
    const QChar c = trimmed[i];
    if (c == QLatin1Char(':')) return i > 0;
    if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.'))) {
      return false;
    }
  }
  return false;
}

// The few entities an attribute value carries, enough to read an address.
QString decodeAttribute(QString value) {
  value.replace(QLatin1String("&quot;"), QLatin1String("\""));
  value.replace(QLatin1String("&#39;"), QLatin1String("'"));
  value.replace(QLatin1String("&lt;"), QLatin1String("<"));
  value.replace(QLatin1String("&gt;"), QLatin1String(">"));
  value.replace(QLatin1String("&amp;"), QLatin1String("&"));
  return value;
}

}  // namespace

QUrl FeedLinks::baseAt(const pugi::xml_node& node, const QUrl& documentBase) {
  std::vector<const char*> bases;
  for (pugi::xml_node current = node; current; current = current.parent()) {
    if (current.type() != pugi::node_element) continue;
    if (const pugi::xml_attribute base = current.attribute("xml:base")) bases.push_back(base.value());
  }
  QUrl base = documentBase;
  for (auto it = bases.rbegin(); it != bases.rend(); ++it) {
    const QUrl next(QString::fromUtf8(*it).trimmed());
    if (!next.isValid()) continue;
    base = base.isEmpty() ? next : base.resolved(next);
  }
  return base;
}

QString FeedLinks::resolve(const QString& reference, const QUrl& base) {
  if (base.isEmpty() || base.isRelative() || isAbsoluteOrSpecial(reference)) return reference;
  const QUrl relative(reference.trimmed());
  if (!relative.isValid()) return reference;
  return base.resolved(relative).toString(QUrl::FullyEncoded);
}

QString FeedLinks::resolveInHtml(const QString& html, const QUrl& base) {
  if (base.isEmpty() || base.isRelative() || !html.contains(QLatin1Char('<'))) return html;
  static const QRegularExpression tag(QStringLiteral("<[A-Za-z][^<>]*>"));
  static const QRegularExpression attribute(
      QStringLiteral("(\\s(?:src|href)\\s*=\\s*)(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))"),
      QRegularExpression::CaseInsensitiveOption);
  QString out;
  qsizetype copied = 0;
  QRegularExpressionMatchIterator tags = tag.globalMatch(html);
  while (tags.hasNext()) {
    const QRegularExpressionMatch tagMatch = tags.next();
    const QString tagText = tagMatch.captured(0);
    QRegularExpressionMatchIterator attributes = attribute.globalMatch(tagText);
    if (!attributes.hasNext()) continue;
    QString rewritten;
    qsizetype tagCopied = 0;
    bool changed = false;
    while (attributes.hasNext()) {
      const QRegularExpressionMatch match = attributes.next();
      int group = 2;
      while (group < 4 && match.capturedStart(group) < 0) ++group;
      const QString value = decodeAttribute(match.captured(group));
      const QString resolved = resolve(value, base);
      if (resolved == value) continue;
      QString escaped = resolved.toHtmlEscaped();
      rewritten += tagText.mid(tagCopied, match.capturedStart(0) - tagCopied);
      rewritten += match.captured(1) + QLatin1Char('"') + escaped + QLatin1Char('"');
      tagCopied = match.capturedEnd(0);
      changed = true;
    }
    if (!changed) continue;
    rewritten += tagText.mid(tagCopied);
    out += QStringView(html).mid(copied, tagMatch.capturedStart(0) - copied);
    out += rewritten;
    copied = tagMatch.capturedEnd(0);
  }
  if (copied == 0) return html;
  out += QStringView(html).mid(copied);
  return out;
}

}  // namespace tidewell
