#pragma once

#include "feeds/FeedItem.h"

#include <QString>

namespace tidewell {

// The two files an item is exported to, built from the stored item (not
// from what a window happens to render), so the window and the command line
// write the same bytes.
class ItemExport {
 public:
  // A complete UTF-8 HTML document: head with charset, a content security
  // policy that lets no script run and no resource load but pictures, a
  // small style sheet; the escaped title linked to the item's address (web
  // and mail addresses only), date and time, the sanitised description
  // (cutNote after it when a bound cut it short) and the enclosure's address.
  static QString Html(const FeedItem& item, const QString& appName, const QString& cutNote = QString());
  // The same as plain text: title, date, address, the description's text.
  static QString Text(const FeedItem& item, const QString& cutNote = QString());

  static constexpr const char* kContentSecurityPolicy =
      "default-src 'none'; img-src http: https: data:; style-src 'unsafe-inline'";
};

}  // namespace tidewell
