#pragma once

#include "feeddb/FeedType.h"

#include <QString>

namespace tidewell {

// One subscribed feed as the database operations take and give it.
struct FeedRecord {
  QString category;  // the category's name, matched case-insensitively
  QString url;       // the feed element's text
  FeedType type = FeedType::RSS;
  QString id;    // 36-character id; names Data/<id>.fdb, matched exactly
  QString name;  // display title

  bool operator==(const FeedRecord&) const = default;
};

}  // namespace tidewell
