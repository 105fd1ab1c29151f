#include "feeds/ui/PreviewPage.h"

#include "feeds/HtmlSanitizer.h"
#include "feeds/LinkPolicy.h"

#include <QRegularExpression>
#include <QTextDocument>

#include <array>
#include <utility>

namespace tidewell {

QString PreviewPage::fill(const QString& templateText, const FeedItem& item, const QString& appName,
                          const QString& cutNote) {
  const std::optional<QUrl> link = LinkPolicy::original(item.link, item.media);
  const std::optional<QUrl> base = LinkPolicy::forOpening(item.link);
  const SanitizedHtml body = HtmlSanitizer().sanitize(item.body(), base ? *base : QUrl());
  QString description = body.html;
  if (body.cut && !cutNote.isEmpty()) {
    description += QStringLiteral("\n<p><i>") + cutNote.toHtmlEscaped() + QStringLiteral("</i></p>");
  }
  description.replace(QChar(10), QStringLiteral("\r\n"));

  const std::array<std::pair<QLatin1String, QString>, 6> values = {{
      {QLatin1String("[[title]]"), item.title.toHtmlEscaped()},
      {QLatin1String("[[link]]"), link ? link->toString(QUrl::FullyEncoded).toHtmlEscaped() : QString()},
      {QLatin1String("[[app]]"), appName.toHtmlEscaped()},
      {QLatin1String("[[desc]]"), description},
      {QLatin1String("[[date]]"),
       (item.day + QLatin1Char(' ') + item.month + QLatin1Char(' ') + item.year).toHtmlEscaped()},
      {QLatin1String("[[time]]"), item.time.toHtmlEscaped()},
  }};
  QString page;
  page.reserve(templateText.size() + description.size() + 256);
  qsizetype from = 0;
  while (from < templateText.size()) {
    const qsizetype at = templateText.indexOf(QLatin1String("[["), from);
    if (at < 0) break;
    bool matched = false;
    for (const auto& [placeholder, value] : values) {
      if (QStringView(templateText).mid(at).startsWith(placeholder)) {
        page += QStringView(templateText).mid(from, at - from);
        page += value;
        from = at + placeholder.size();
        matched = true;
        break;
      }
    }
    if (!matched) {
      page += QStringView(templateText).mid(from, at + 1 - from);
      from = at + 1;
    }
  }
  page += QStringView(templateText).mid(from);
  return page;
}

QString PreviewPage::bodyInnerHtml(const QString& page) {
  static const QRegularExpression open(QStringLiteral("<body(\\s[^>]*)?>"), QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression close(QStringLiteral("</body\\s*>"), QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch start = open.match(page);
  if (!start.hasMatch()) return page;
  const qsizetype from = start.capturedEnd();
  const qsizetype to = page.lastIndexOf(close);
  return page.mid(from, to >= from ? to - from : -1);
}

QString PreviewPage::plainText(const QString& page) {
  // A document of its own: the page's pictures are never fetched for it.
  QTextDocument document;
  document.setHtml(page);
  QString text = document.toPlainText();
  text.remove(QChar::ObjectReplacementCharacter);
  return text;
}

}  // namespace tidewell
