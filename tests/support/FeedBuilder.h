#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tidewell::test {

// Small feed documents for tests, built from their items.
//   rss({rssItem("Title", "http://example.invalid/1", "Tue, 10 Sep 2002 09:00:00 GMT", "<p>body</p>")})
// Title and link go in as XML (markup in them is markup); a null link leaves
// the element out, an empty date leaves pubDate out; the description is
// escaped, as feeds send HTML.
QByteArray rssItem(const QString& title, const QString& link, const QString& date, const QString& description);
QByteArray rss(const QList<QByteArray>& items, const QString& channelTitle = QStringLiteral("Coast"));

//   atom({atomEntry("Title", "http://example.invalid/1", "2002-09-10T09:00:00Z", "<p>body</p>")})
QByteArray atomEntry(const QString& title, const QString& link, const QString& updated, const QString& content);
QByteArray atom(const QList<QByteArray>& entries, const QString& feedTitle = QStringLiteral("Coast"));

}  // namespace tidewell::test
