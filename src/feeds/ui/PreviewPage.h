#pragma once

#include "feeds/FeedItem.h"

#include <QString>

namespace tidewell {

// The preview page of one item: view.tpl with its placeholders filled in, and
// the two forms an export takes of it.
class PreviewPage {
 public:
  // Fills "[[title]]", "[[link]]" (the media URL, else the link), "[[app]]",
  // "[[desc]]" (the body, line feeds as CR LF), "[[date]]" ("07 Sep 2002") and
  // "[[time]]", every occurrence, in one pass over the template: a
  // placeholder that arrives inside a value is text and is never expanded
  // again. Titles, dates and the address are text and are escaped; the link
  // is left out unless it is a web or mail address. The description is the
  // sanitised form of the feed's HTML; when a bound cut it short, cutNote
  // follows it.
  static QString fill(const QString& templateText, const FeedItem& item, const QString& appName,
                      const QString& cutNote = QString());

  // The inner HTML of the page's body element (the whole text when it has none).
  static QString bodyInnerHtml(const QString& page);
  // The text a reader sees of the page, without the object replacement
  // character a layout puts where a picture was.
  static QString plainText(const QString& page);
};

}  // namespace tidewell
