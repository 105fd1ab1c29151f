#include "feeds/FeedReading.h"

#include "core/UserMessages.h"
#include "feeddb/CategoryTree.h"
#include "feeds/ItemIndex.h"

#include <QFileInfo>

namespace tidewell {

FeedReading::FeedReading(AppPaths paths, ItemIndex& index, UserMessages& messages)
    : paths_(std::move(paths)), index_(index), messages_(messages) {}

QStringList FeedReading::FeedIds(const CategoryTree& tree) {
  QStringList ids;
  for (const CategoryNode& category : tree.root().children) {
    for (const CategoryNode& feed : category.children) {
      if (!ids.contains(feed.key)) ids << feed.key;
    }
  }
  return ids;
}

QStringList FeedReading::CategoryFeedIds(const CategoryTree& tree, const QString& categoryName) {
  QStringList ids;
  for (const CategoryNode& category : tree.root().children) {
    if (category.text.compare(categoryName, Qt::CaseInsensitive) != 0) continue;
    for (const CategoryNode& feed : category.children) ids << feed.key;
    break;
  }
  return ids;
}

int FeedReading::MarkAllRead(const QStringList& feedIds) {
  int changed = 0;
  bool failed = false;
  for (const QString& id : feedIds) {
    const ItemStore store(paths_.itemStore(id));
    // A feed that has never stored an item has nothing to mark.
    if (!QFileInfo::exists(store.path())) continue;
    const int count = store.SetAllStatus(true);
    if (count < 0) {
      failed = true;
    } else {
      changed += count;
    }
    index_.refresh(id);
  }
  return failed ? -1 : changed;
}

bool FeedReading::SetStarred(const QString& feedId, const ItemRef& item, bool starred) {
  const bool ok =
      ItemStore(paths_.itemStore(feedId))
          .ItemOperation(item, starred ? QStringLiteral("star") : QStringLiteral("unstar"), false, messages_);
  index_.refresh(feedId);
  return ok;
}

bool FeedReading::SetRead(const QString& feedId, const ItemRef& item, bool read) {
  const bool ok = ItemStore(paths_.itemStore(feedId))
                      .ItemOperation(item, read ? QStringLiteral("read") : QStringLiteral("unread"), false, messages_);
  index_.refresh(feedId);
  return ok;
}

}  // namespace tidewell
