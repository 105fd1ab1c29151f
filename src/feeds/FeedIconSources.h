#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

namespace tidewell {

// What a feed document says about its pictures and its site.
struct FeedIconHints {
  QUrl image;  // the feed's own picture: RSS image/url, else itunes:image; ATOM icon, else logo
  QUrl site;   // the site's home page: the RSS channel's link, the ATOM feed's alternate link
};

// Where a feed's icon may be found, without any network: the feed's own
// picture, the icons a web page names in its <link> elements, and the
// site's /favicon.ico. Only http and https addresses are given out.
class FeedIconSources {
 public:
  // The hints of a feed document (RSS 2.0, RSS 1.0 or ATOM), relative
  // addresses resolved against xml:base, else feedUrl. Empty when the body
  // is not a feed.
  static FeedIconHints fromFeed(const QByteArray& body, const QString& charset, const QUrl& feedUrl);
  // The icons a page names (rel "icon", "shortcut icon", "apple-touch-icon"),
  // best first: icons of 32 px or more (the smallest first), icons without
  // sizes, smaller ones, then the touch icons. Vector pictures are left out:
  // they are not decoded.
  static QList<QUrl> fromPage(const QByteArray& html, const QUrl& page);
  // /favicon.ico on the host of url; empty when url is not a web address.
  static QUrl favicon(const QUrl& url);
  // The home page of url's host ("/").
  static QUrl siteRoot(const QUrl& url);
};

}  // namespace tidewell
