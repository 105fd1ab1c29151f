#pragma once

#include <QString>
#include <QUrl>

#include <pugixml.hpp>

namespace tidewell {

// Relative addresses in a feed: item links, and src/href inside an article's
// HTML, made absolute against the base in effect where they stand.
class FeedLinks {
 public:
  // The base in effect at node: the xml:base attributes of node and its
  // ancestors, outermost first, each resolved against the one before, the
  // first against documentBase.
  static QUrl baseAt(const pugi::xml_node& node, const QUrl& documentBase);

  // reference made absolute against base; unchanged when it is already
  // absolute, blank, only a fragment, or base is empty.
  static QString resolve(const QString& reference, const QUrl& base);

  // Every relative src and href attribute value inside the tags of html
  // resolved against base; the rest of the text stays byte for byte.
  static QString resolveInHtml(const QString& html, const QUrl& base);
};

}  // namespace tidewell
