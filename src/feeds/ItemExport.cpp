#include "feeds/ItemExport.h"

#include "feeds/HtmlSanitizer.h"
#include "feeds/LinkPolicy.h"

namespace tidewell {

namespace {

QString safeAddress(const QString& address) {
  const std::optional<QUrl> url = LinkPolicy::forOpening(address);
  return url ? url->toString(QUrl::FullyEncoded) : QString();
}

QString dateLine(const FeedItem& item) {
  if (!item.hasDate()) return {};
  return item.day + QLatin1Char(' ') + item.month + QLatin1Char(' ') + item.year + QLatin1Char(' ') + item.time;
}

SanitizedHtml body(const FeedItem& item) {
  const std::optional<QUrl> base = LinkPolicy::forOpening(item.link);
  return HtmlSanitizer().sanitize(item.body(), base ? *base : QUrl());
}

}  // namespace

QString ItemExport::Html(const FeedItem& item, const QString& appName, const QString& cutNote) {
  const SanitizedHtml content = body(item);
  const QString link = safeAddress(item.link);
  const QString media = safeAddress(item.media);
  const QString title = item.title.toHtmlEscaped();
  QString page;
  page.reserve(content.html.size() + 2048);
  page += QStringLiteral(
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"");
  page += QLatin1String(kContentSecurityPolicy).toString().toHtmlEscaped();
  page += QStringLiteral("\">\n<meta name=\"generator\" content=\"") + appName.toHtmlEscaped() +
          QStringLiteral("\">\n<title>") + title + QStringLiteral("</title>\n");
  page += QStringLiteral(
      "<style>\n"
      "body { font-family: sans-serif; line-height: 150%; max-width: 46em; margin: 0 auto; padding: 14px 22px; }\n"
      "h1 { font-size: 16pt; } .meta { font-size: 9pt; color: #59636e; } img { max-width: 100%; }\n"
      "</style>\n</head>\n<body>\n<h1>");
  page += link.isEmpty() ? title
                         : QStringLiteral("<a href=\"") + link.toHtmlEscaped() + QStringLiteral("\">") + title +
                               QStringLiteral("</a>");
  page += QStringLiteral("</h1>\n<p class=\"meta\">") + dateLine(item).toHtmlEscaped() + QStringLiteral("</p>\n");
  page += QStringLiteral("<div class=\"content\">\n") + content.html + QStringLiteral("\n</div>\n");
  if (content.cut && !cutNote.isEmpty())
    page += QStringLiteral("<p><i>") + cutNote.toHtmlEscaped() + QStringLiteral("</i></p>\n");
  if (!media.isEmpty()) {
    page += QStringLiteral("<p class=\"meta\"><a href=\"") + media.toHtmlEscaped() + QStringLiteral("\">") +
            media.toHtmlEscaped() + QStringLiteral("</a></p>\n");
  }
  page += QStringLiteral("</body>\n</html>");
  return page;
}

QString ItemExport::Text(const FeedItem& item, const QString& cutNote) {
  const SanitizedHtml content = body(item);
  QStringList lines;
  lines << item.title;
  if (item.hasDate()) lines << dateLine(item);
  if (!item.link.isEmpty()) lines << item.link;
  lines << QString() << content.text;
  if (content.cut && !cutNote.isEmpty()) lines << QString() << cutNote;
  if (!item.media.isEmpty()) lines << QString() << item.media;
  return lines.join(QLatin1Char('\n'));
}

}  // namespace tidewell
