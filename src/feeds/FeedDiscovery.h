#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

namespace tidewell {

class DownloadCancel;

// A feed found for a web page.
struct DiscoveredFeed {
  QString url;
  QString title;  // the feed's own title (may be empty)
  int type = -1;  // 0 RSS, 1 ATOM, 2 podcast
  bool operator==(const DiscoveredFeed&) const = default;
};

// Finds the feeds a web page offers: its <link rel="alternate"> elements with
// an RSS or ATOM type (resolved against the page), else the usual places on
// its site (/feed, /rss, /atom.xml, /feed.xml, /index.xml). Every candidate is
// downloaded and kept only when it is a feed the program reads. Only http and
// https addresses are followed.
class FeedDiscovery {
 public:
  static const QStringList& usualPaths();

  // The alternate links of an HTML document, resolved, in document order,
  // without repeats. Pure: no network.
  static QList<QUrl> alternateLinks(const QByteArray& html, const QUrl& page);
  // Whether an answer is a web page rather than something else that failed
  // to be a feed.
  static bool looksLikeHtml(const QByteArray& body);

  // cancel, when set, stops the candidates' downloads (see DownloadCancel).
  FeedDiscovery(QNetworkAccessManager* manager, int timeoutMs, DownloadCancel* cancel = nullptr)
      : manager_(manager), timeoutMs_(timeoutMs), cancel_(cancel) {}

  // The feeds for a page whose body was already downloaded from page.
  QList<DiscoveredFeed> discover(const QByteArray& html, const QUrl& page) const;

 private:
  bool check(const QUrl& candidate, DiscoveredFeed& found) const;

  QNetworkAccessManager* manager_;
  int timeoutMs_;
  DownloadCancel* cancel_;
};

}  // namespace tidewell
