#include "feeds/FeedIconSources.h"

#include "feeds/FeedLinks.h"
#include "feeds/FeedXml.h"
#include "feeds/HtmlElements.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace tidewell {

namespace {

bool named(const pugi::xml_node& node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// An RSS 1.0 root: rdf:RDF under any prefix.
bool isRdfRoot(const pugi::xml_node& node) {
  const char* name = node.name();
  const char* colon = std::strrchr(name, ':');
  return std::strcmp(colon ? colon + 1 : name, "RDF") == 0;
}

QUrl webOrEmpty(const QUrl& url) { return HtmlElements::isWeb(url) ? url : QUrl(); }

QUrl resolvedText(const pugi::xml_node& node, const QUrl& base) {
  const QString text = FeedXml::text(node);
  if (text.isEmpty()) return {};
  return webOrEmpty(FeedLinks::baseAt(node, base).resolved(QUrl(text)));
}

QUrl resolvedAttribute(const pugi::xml_node& node, const char* attribute, const QUrl& base) {
  const QString value = FeedXml::value(node.attribute(attribute).value()).trimmed();
  if (value.isEmpty()) return {};
  return webOrEmpty(FeedLinks::baseAt(node, base).resolved(QUrl(value)));
}

FeedIconHints atomHints(const pugi::xml_node& feed, const QUrl& base) {
  FeedIconHints hints;
  hints.image = resolvedText(FeedXml::child(feed, "icon"), base);
  if (hints.image.isEmpty()) hints.image = resolvedText(FeedXml::child(feed, "logo"), base);
  for (pugi::xml_node link = feed.first_child(); link; link = link.next_sibling()) {
    if (link.type() != pugi::node_element || !named(link, "link")) continue;
    const QString rel = FeedXml::value(link.attribute("rel").value()).trimmed();
    const QString type = FeedXml::value(link.attribute("type").value()).trimmed().toLower();
    if (!rel.isEmpty() && rel != QLatin1String("alternate")) continue;
    if (!type.isEmpty() && !type.contains(QLatin1String("html"))) continue;
    hints.site = resolvedAttribute(link, "href", base);
    if (!hints.site.isEmpty()) break;
  }
  return hints;
}

FeedIconHints rssHints(const pugi::xml_node& channel, const pugi::xml_node& rdf, const QUrl& base) {
  FeedIconHints hints;
  // RSS 2.0 keeps the image in the channel, RSS 1.0 beside it.
  pugi::xml_node image = FeedXml::child(channel, "image");
  if ((!image || !FeedXml::child(image, "url")) && rdf) image = FeedXml::child(rdf, "image");
  hints.image = resolvedText(FeedXml::child(image, "url"), base);
  if (hints.image.isEmpty()) hints.image = resolvedAttribute(FeedXml::child(channel, "itunes:image"), "href", base);
  hints.site = resolvedText(FeedXml::child(channel, "link"), base);
  return hints;
}

// The smallest side named by a sizes attribute ("16x16 32x32"), 0 when none is.
int declaredSide(const QString& sizes) {
  static const QRegularExpression pattern(QStringLiteral("(\\d+)\\s*[xX]\\s*(\\d+)"));
  int best = 0;
  auto it = pattern.globalMatch(sizes);
  while (it.hasNext()) {
    const QRegularExpressionMatch match = it.next();
    const int side = std::min(match.captured(1).toInt(), match.captured(2).toInt());
    // Of several sizes, the one a 32 px icon is made from best.
    if (best == 0 || (side >= 32 && (best < 32 || side < best)) || (best < 32 && side > best)) best = side;
  }
  return best;
}

struct PageIcon {
  QUrl url;
  int rank = 0;  // lower first
  int side = 0;
  int order = 0;
};

}  // namespace

FeedIconHints FeedIconSources::fromFeed(const QByteArray& body, const QString& charset, const QUrl& feedUrl) {
  pugi::xml_document document;
  QByteArray buffer;
  if (!FeedXml::load(document, buffer, body, charset)) return {};
  const pugi::xml_node root = document.document_element();
  if (named(root, "feed")) return atomHints(root, feedUrl);
  if (named(root, "rss")) return rssHints(FeedXml::child(root, "channel"), pugi::xml_node(), feedUrl);
  if (isRdfRoot(root)) return rssHints(FeedXml::child(root, "channel"), root, feedUrl);
  return {};
}

QList<QUrl> FeedIconSources::fromPage(const QByteArray& html, const QUrl& page) {
  std::vector<PageIcon> icons;
  QSet<QString> seen;
  HtmlElements::forEach(html, page, [&](const GumboElement& element, const QUrl& base) {
    if (element.tag != GUMBO_TAG_LINK) return;
    const QString rel = HtmlElements::attribute(element, "rel");
    const bool touch = HtmlElements::hasWord(rel, QStringLiteral("apple-touch-icon")) ||
                       HtmlElements::hasWord(rel, QStringLiteral("apple-touch-icon-precomposed"));
    if (!touch && !HtmlElements::hasWord(rel, QStringLiteral("icon"))) return;
    const QString href = HtmlElements::attribute(element, "href");
    const QString type = HtmlElements::attribute(element, "type").toLower();
    if (href.isEmpty() || type.contains(QLatin1String("svg"))) return;
    const QUrl url = base.resolved(QUrl(href));
    if (!HtmlElements::isWeb(url) || url.path().endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) return;
    if (seen.contains(url.toString())) return;
    seen.insert(url.toString());
    PageIcon icon;
    icon.url = url;
    icon.side = declaredSide(HtmlElements::attribute(element, "sizes"));
    icon.order = static_cast<int>(icons.size());
    if (touch) {
      icon.rank = 3;
    } else if (icon.side >= 32) {
      icon.rank = 0;
    } else if (icon.side == 0) {
      icon.rank = 1;
    } else {
      icon.rank = 2;
    }
    icons.push_back(icon);
  });
  std::stable_sort(icons.begin(), icons.end(), [](const PageIcon& a, const PageIcon& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.rank == 0) return a.side < b.side;
    if (a.rank == 2) return a.side > b.side;
    return false;
  });
  QList<QUrl> urls;
  for (const PageIcon& icon : icons) urls.append(icon.url);
  return urls;
}

QUrl FeedIconSources::siteRoot(const QUrl& url) {
  if (!HtmlElements::isWeb(url)) return {};
  QUrl root;
  root.setScheme(url.scheme().toLower());
  root.setHost(url.host());
  root.setPort(url.port());
  root.setPath(QStringLiteral("/"));
  return root;
}

QUrl FeedIconSources::favicon(const QUrl& url) {
  QUrl icon = siteRoot(url);
  if (!icon.isEmpty()) icon.setPath(QStringLiteral("/favicon.ico"));
  return icon;
}

}  // namespace tidewell
