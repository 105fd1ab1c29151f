#include "email/HtmlText.h"

#include <QRegularExpression>
#include <QStringList>

namespace tidewell {

namespace {

QString decodeEntities(const QString& text) {
  static const QRegularExpression entity(QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z]{2,8});"));
  QString out;
  out.reserve(text.size());
  qsizetype pos = 0;
  for (QRegularExpressionMatchIterator it = entity.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    out += QStringView(text).mid(pos, m.capturedStart() - pos);
    pos = m.capturedEnd();
    const QString name = m.captured(1);
    char32_t code = 0;
    if (name.startsWith(QLatin1String("#x")) || name.startsWith(QLatin1String("#X"))) {
      code = name.mid(2).toUInt(nullptr, 16);
    } else if (name.startsWith(QLatin1Char('#'))) {
      code = name.mid(1).toUInt();
    } else {
      static const QList<QPair<QString, char32_t>> named = {
          {QStringLiteral("amp"), U'&'},    {QStringLiteral("lt"), U'<'},    {QStringLiteral("gt"), U'>'},
          {QStringLiteral("quot"), U'"'},   {QStringLiteral("apos"), U'\''}, {QStringLiteral("nbsp"), U' '},
          {QStringLiteral("middot"), U'·'}, {QStringLiteral("mdash"), U'—'}, {QStringLiteral("ndash"), U'–'},
          {QStringLiteral("hellip"), U'…'}, {QStringLiteral("copy"), U'©'},  {QStringLiteral("laquo"), U'«'},
          {QStringLiteral("raquo"), U'»'},  {QStringLiteral("rsquo"), U'’'}, {QStringLiteral("lsquo"), U'‘'},
          {QStringLiteral("rdquo"), U'”'},  {QStringLiteral("ldquo"), U'“'}, {QStringLiteral("euro"), U'€'},
      };
      for (const auto& [key, value] : named) {
        if (key == name) code = value;
      }
    }
    const bool valid = code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    out += valid ? QString::fromUcs4(&code, 1) : m.captured(0);
  }
  out += QStringView(text).mid(pos);
  return out;
}

}  // namespace

QString HtmlToPlainText(const QString& html) {
  using Re = QRegularExpression;
  const auto ci = Re::CaseInsensitiveOption | Re::DotMatchesEverythingOption;
  QString text = html;
  static const Re hidden(QStringLiteral("<(script|style|head|title)\\b.*?</\\1\\s*>"), ci);
  static const Re comments(QStringLiteral("<!--.*?-->"), Re::DotMatchesEverythingOption);
  text.remove(hidden).remove(comments);
  // Source line breaks are blanks in HTML.
  text.replace(Re(QStringLiteral("\\s+")), QStringLiteral(" "));
  static const Re link(QStringLiteral("<a\\b[^>]*\\bhref\\s*=\\s*(\"([^\"]*)\"|'([^']*)')[^>]*>(.*?)</a\\s*>"), ci);
  QString linked;
  qsizetype pos = 0;
  for (QRegularExpressionMatchIterator it = link.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    linked += QStringView(text).mid(pos, m.capturedStart() - pos);
    pos = m.capturedEnd();
    const QString target = m.captured(2).isNull() ? m.captured(3) : m.captured(2);
    const QString label = m.captured(4);
    linked += label;
    // An address shown as its own label is not repeated.
    if (!target.isEmpty() && !target.startsWith(QLatin1Char('#')) &&
        decodeEntities(label).trimmed() != decodeEntities(target)) {
      // Marked for now: the tag removal below would take real angle brackets.
      linked += QStringLiteral(" \x01") + target + QChar(0x02);
    }
  }
  linked += QStringView(text).mid(pos);
  text = linked;
  static const Re lineBreak(QStringLiteral("<br\\s*/?>"), Re::CaseInsensitiveOption);
  static const Re item(QStringLiteral("<li\\b[^>]*>"), Re::CaseInsensitiveOption);
  static const Re rule(QStringLiteral("<hr\\b[^>]*>"), Re::CaseInsensitiveOption);
  static const Re block(
      QStringLiteral("</?(p|div|h[1-6]|ul|ol|table|tr|blockquote|pre|center|section|article)\\b[^>]*>"),
      Re::CaseInsensitiveOption);
  static const Re cell(QStringLiteral("</t[dh]\\s*>"), Re::CaseInsensitiveOption);
  static const Re tag(QStringLiteral("<[^>]*>"));
  text.replace(lineBreak, QStringLiteral("\n"));
  text.replace(item, QStringLiteral("\n- "));
  text.replace(rule, QStringLiteral("\n----\n"));
  text.replace(block, QStringLiteral("\n\n"));
  text.replace(cell, QStringLiteral(" "));
  text.remove(tag);
  text = decodeEntities(text);
  text.replace(QChar(0x01), QLatin1Char('<')).replace(QChar(0x02), QLatin1Char('>'));

  QStringList lines;
  bool blank = true;
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    const QString line = raw.simplified();
    if (line.isEmpty()) {
      if (!blank) lines << QString();
      blank = true;
      continue;
    }
    lines << line;
    blank = false;
  }
  while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines.join(QStringLiteral("\r\n"));
}

}  // namespace tidewell
