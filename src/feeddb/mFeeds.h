#pragma once

#include "core/AppPaths.h"
#include "core/UserMessages.h"
#include "feeddb/FeedRecord.h"

#include <QString>

#include <optional>

namespace tidewell {

// The feed operations on feeds.fdb, with the same load-work-save rules as
// mCategories. A record's category is matched case-insensitively, its id
// exactly.
class mFeeds {
 public:
  mFeeds(const AppPaths& paths, UserMessages& messages);

  // The stored name of the first category named name (case-insensitively).
  std::optional<QString> FindCategory(const QString& name);
  // True when record.category holds a feed with record.name or record.url
  // (case-insensitively). Only that one category is searched.
  bool FeedExists(const FeedRecord& record);
  // Appends the feed to record.category; FeedExists is not consulted.
  bool AddFeed(const FeedRecord& record);
  // Finds the feed by record.id inside record.category (false without a
  // message when it is not there). move = false: writes name, type and URL in
  // place. move = true: moves the stored feed unchanged to the end of
  // newCategory; the record's name, type and URL are not written.
  bool EditFeed(const FeedRecord& record, bool move, const QString& newCategory = {});
  // Removes the feed found by record.id inside record.category, its item store and its icon.
  bool DeleteFeed(const FeedRecord& record);
  // Deletes Data/<id>.fdb and Icons/<id>.png when they exist; failures are ignored.
  void DeleteFeedData(const QString& id);
  // The feed with this id in any category (the first one in file order), with
  // its category's name; nullopt when there is none or the file is unusable.
  std::optional<FeedRecord> FindFeed(const QString& id);

 private:
  AppPaths paths_;
  UserMessages& messages_;
};

}  // namespace tidewell
