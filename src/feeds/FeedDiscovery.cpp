#include "feeds/FeedDiscovery.h"

#include "feeds/DownloadCancel.h"
#include "feeds/FeedDownloader.h"
#include "feeds/FeedValidation.h"

#include <QSet>

#include <gumbo.h>

#include <functional>

namespace tidewell {

namespace {

bool isWeb(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString attribute(const GumboElement& element, const char* name) {
  const GumboAttribute* found = gumbo_get_attribute(&element.attributes, name);
  return found ? QString::fromUtf8(found->value).trimmed() : QString();
}

bool isFeedType(const QString& type) {
  static const QStringList types{QStringLiteral("application/rss+xml"), QStringLiteral("application/atom+xml"),
                                 QStringLiteral("application/rdf+xml"), QStringLiteral("application/x-rss+xml")};
  return types.contains(type.toLower());
}

bool relIsAlternate(const QString& rel) {
  for (const QString& word : rel.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts))
    if (word == QLatin1String("alternate")) return true;
  return false;
}

// Walks the tree without recursion: a hostile page may nest deeply.
void forEachElement(GumboNode* root, const std::function<void(const GumboElement&)>& visit) {
  std::vector<GumboNode*> pending{root};
  while (!pending.empty()) {
    GumboNode* node = pending.back();
    pending.pop_back();
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
    visit(node->v.element);
    const GumboVector& children = node->v.element.children;
    for (unsigned i = children.length; i > 0; --i) pending.push_back(static_cast<GumboNode*>(children.data[i - 1]));
  }
}

}  // namespace

const QStringList& FeedDiscovery::usualPaths() {
  static const QStringList paths{QStringLiteral("/feed"), QStringLiteral("/rss"), QStringLiteral("/atom.xml"),
                                 QStringLiteral("/feed.xml"), QStringLiteral("/index.xml")};
  return paths;
}

QList<QUrl> FeedDiscovery::alternateLinks(const QByteArray& html, const QUrl& page) {
  QList<QUrl> links;
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.constData(), size_t(html.size()));
  if (output == nullptr) return links;
  QUrl base = page;
  forEachElement(output->root, [&](const GumboElement& element) {
    if (element.tag == GUMBO_TAG_BASE && base == page) {
      const QString href = attribute(element, "href");
      if (!href.isEmpty()) base = page.resolved(QUrl(href));
    }
  });
  QSet<QString> seen;
  forEachElement(output->root, [&](const GumboElement& element) {
    if (element.tag != GUMBO_TAG_LINK) return;
    if (!relIsAlternate(attribute(element, "rel")) || !isFeedType(attribute(element, "type"))) return;
    const QString href = attribute(element, "href");
    if (href.isEmpty()) return;
    const QUrl resolved = base.resolved(QUrl(href));
    if (!isWeb(resolved) || seen.contains(resolved.toString())) return;
    seen.insert(resolved.toString());
    links.append(resolved);
  });
  gumbo_destroy_output(&kGumboDefaultOptions, output);
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
  if (!feeds.isEmpty() || !isWeb(page)) return feeds;
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
