#pragma once

#include "core/AppPaths.h"
#include "feeds/ItemStore.h"

#include <QString>
#include <QStringList>

namespace tidewell {

class CategoryTree;
class ItemIndex;
class UserMessages;

// The reading operations that span feeds: marking whole feeds read, starring
// and the read mark of one item, each written to the item store first and
// then brought into the index, so the counts and the Starred list follow.
class FeedReading {
 public:
  FeedReading(AppPaths paths, ItemIndex& index, UserMessages& messages);

  // The feed ids of the tree, in its order (categories sorted, feeds in file order).
  static QStringList FeedIds(const CategoryTree& tree);
  // The feed ids under one category node of the tree; empty when there is none.
  static QStringList CategoryFeedIds(const CategoryTree& tree, const QString& categoryName);

  // Marks every item of these feeds read; the number of items changed, or -1
  // when a store could not be written (the others are still marked).
  int MarkAllRead(const QStringList& feedIds);
  // Stars or unstars one item; false when the item or its store is not
  // there (the store's message shown) or the save failed.
  bool SetStarred(const QString& feedId, const ItemRef& item, bool starred);
  // Marks one item read or unread.
  bool SetRead(const QString& feedId, const ItemRef& item, bool read);

 private:
  AppPaths paths_;
  ItemIndex& index_;
  UserMessages& messages_;
};

}  // namespace tidewell
