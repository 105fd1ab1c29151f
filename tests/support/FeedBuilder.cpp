#include "support/FeedBuilder.h"

namespace tidewell::test {

QByteArray rssItem(const QString& title, const QString& link, const QString& date, const QString& description) {
  QString item = QStringLiteral("<item><title>") + title + QStringLiteral("</title>");
  if (!link.isNull()) item += QStringLiteral("<link>") + link + QStringLiteral("</link>");
  if (!date.isEmpty()) item += QStringLiteral("<pubDate>") + date + QStringLiteral("</pubDate>");
  item += QStringLiteral("<description>") + description.toHtmlEscaped() + QStringLiteral("</description></item>");
  return item.toUtf8();
}

QByteArray rss(const QList<QByteArray>& items, const QString& channelTitle) {
  QByteArray body = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>" +
                    channelTitle.toHtmlEscaped().toUtf8() + "</title>";
  for (const QByteArray& item : items) body += item;
  return body + "</channel></rss>";
}

QByteArray atomEntry(const QString& title, const QString& link, const QString& updated, const QString& content) {
  QString entry = QStringLiteral("<entry><title>") + title + QStringLiteral("</title>");
  if (!link.isNull()) entry += QStringLiteral("<link href=\"") + link.toHtmlEscaped() + QStringLiteral("\"/>");
  if (!updated.isEmpty()) entry += QStringLiteral("<updated>") + updated + QStringLiteral("</updated>");
  entry += QStringLiteral("<content type=\"html\">") + content.toHtmlEscaped() + QStringLiteral("</content></entry>");
  return entry.toUtf8();
}

QByteArray atom(const QList<QByteArray>& entries, const QString& feedTitle) {
  QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>" +
                    feedTitle.toHtmlEscaped().toUtf8() + "</title>";
  for (const QByteArray& entry : entries) body += entry;
  return body + "</feed>";
}

}  // namespace tidewell::test
