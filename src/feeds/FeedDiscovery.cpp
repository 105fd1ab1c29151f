#include "feeds/FeedDiscovery.h"

#include "feeds/DownloadCancel.h"
#include "feeds/FeedDownloader.h"
#include "feeds/FeedValidation.h"
#include "feeds/HtmlElements.h"

#include <QSet>

namespace tidewell {

namespace {

bool isFeedType(const QString& type) {
  static const QStringList types{QStringLiteral("application/rss+xml"), QStringLiteral("application/atom+xml"),
                                 QStringLiteral("application/rdf+xml"), QStringLiteral("application/x-rss+xml")};
  return types.contains(type.toLower());
}

}  // namespace

const QStringList& FeedDiscovery::usualPaths() {
  static const QStringList paths{QStringLiteral("/feed"), QStringLiteral("/rss"), QStringLiteral("/atom.xml"),
                                 QStringLiteral("/feed.xml"), QStringLiteral("/index.xml")};
  return paths;
}

QList<QUrl> FeedDiscovery::alternateLinks(const QByteArray& html, const QUrl& page) {
  QList<QUrl> links;
  QSet<QString> seen;
  HtmlElements::forEach(html, page, [&](const GumboElement& element, const QUrl& base) {
    if (element.tag != GUMBO_TAG_LINK) return;
    if (!HtmlElements::hasWord(HtmlElements::attribute(element, "rel"), QStringLiteral("alternate")) ||
        !isFeedType(HtmlElements::attribute(element, "type"))) {
      return;
    }
    const QString href = HtmlElements::attribute(element, "href");
    if (href.isEmpty()) return;
    const QUrl resolved = base.resolved(QUrl(href));
    if (!HtmlElements::isWeb(resolved) || seen.contains(resolved.toString())) return;
    seen.insert(resolved.toString());
    links.append(resolved);
  });
  return links;
}

bool FeedDiscovery::looksLikeHtml(const QByteArray& body) {
  const QByteArray head = body.left(2048).toLower();
  return head.contains("<html") || head.contains("<!doctype html") || head.contains("<head") || head.contains("<body");
}

bool FeedDiscovery::check(const QUrl& candidate, DiscoveredFeed& found) const {
  DownloadOptions options;
  options.url = candidate;
  options.timeoutMs = timeoutMs_;
  const DownloadResult result = DownloadCancel::fetchOnce(cancel_, options, manager_);
  if (!result.completed() || result.httpStatus >= 400) return false;
  const FeedDetection detection = DetectFeedType(result.body, result.charset);
  if (!detection.ok() || detection.type < 0) return false;
  found.url = candidate.toString();
  found.type = detection.type;
  if (detection.hasTitle && !detection.title.trimmed().isEmpty()) found.title = detection.title.trimmed();
  return true;
}

QList<DiscoveredFeed> FeedDiscovery::discover(const QByteArray& html, const QUrl& page) const {
  QList<DiscoveredFeed> feeds;
  for (const QUrl& link : alternateLinks(html, page)) {
    DiscoveredFeed found;
    if (check(link, found)) feeds.append(found);
  }
  if (!feeds.isEmpty() || !HtmlElements::isWeb(page)) return feeds;
  QUrl site = page;
  site.setPath(QString());
  site.setQuery(QString());
  site.setFragment(QString());
  for (const QString& path : usualPaths()) {
    QUrl candidate = site;
    candidate.setPath(path);
    DiscoveredFeed found;
    if (check(candidate, found)) feeds.append(found);
  }
  return feeds;
}

}  // namespace tidewell
