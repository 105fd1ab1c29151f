#pragma once

#include "feeds/FeedItem.h"

#include <QString>

namespace tidewell {

// The preview page of one item: view.tpl with its placeholders filled in, and
// the two forms an export takes of it.
class PreviewPage {
 public:
  // Replaces, in this order and every occurrence each, "[[title]]", "[[link]]"
  // (the media URL, else the link), "[[app]]", "[[desc]]" (the body, line feeds as CR LF),
  // "[[date]]" ("07 Sep 2002") and "[[time]]". Values go in as they are: a
  // description's HTML renders as HTML.
  static QString fill(const QString& templateText, const FeedItem& item, const QString& appName);

  // The inner HTML of the page's body element (the whole text when it has none).
  static QString bodyInnerHtml(const QString& page);
};

}  // namespace tidewell
