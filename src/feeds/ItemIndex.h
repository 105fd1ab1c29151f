#pragma once

#include "core/AppPaths.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class QSqlError;

namespace tidewell {

// Unread, total and starred items of one feed.
struct FeedCounts {
  int unread = 0;
  int total = 0;
  int starred = 0;
  bool operator==(const FeedCounts&) const = default;
};

struct ItemSearch {
  QStringList words;  // every word must match, in the title or the body text
  QString feedId;     // empty: all feeds
  bool starredOnly = false;
  int limit = -1;           // -1: no limit
  bool prefixLast = false;  // the last word may be the start of a longer one (typing)
};

struct ItemHit {
  QString feedId;
  QString itemId;
  int occurrence = 0;  // among the feed's stored items with the same id
  QString title;
  QString dateKey;  // "" for an item without a usable date
  bool unread = false;
  bool starred = false;
};

// A derived index of every item store, kept in SQLite beside them
// (ItemIndex.sqlite): per feed the counts the tree shows, per item what a
// search or the Starred node needs, and the title and the body text (without
// HTML) in an FTS5 table that folds case and accents. The stores remain the
// record of truth: each feed is re-read from its store whenever the store's
// size or modification time differs from what the index recorded, so changes
// by another process, an older version or a crash between a store's save and
// the index's update are picked up by the next refresh. A missing index is
// built silently; a damaged one is replaced by a new one.
class ItemIndex {
 public:
  enum class OpenState { Opened, Created, Replaced, Failed };

  explicit ItemIndex(AppPaths paths);
  ~ItemIndex();
  ItemIndex(const ItemIndex&) = delete;
  ItemIndex& operator=(const ItemIndex&) = delete;

  static QString fileName();  // "ItemIndex.sqlite"
  QString path() const;

  // Opens (or creates, or replaces a damaged) index file. Later calls do
  // nothing and return the first call's state. Every other operation opens
  // on demand.
  OpenState open();
  OpenState openState() const { return state_; }

  // Brings these feeds in line with their stores and forgets feeds not
  // listed. Returns how many feeds were re-read.
  int sync(const QStringList& feedIds);
  // One feed only; forget drops it (its store is gone).
  bool refresh(const QString& feedId);
  void forget(const QString& feedId);

  FeedCounts counts(const QString& feedId);
  QHash<QString, FeedCounts> allCounts();

  // Newest first (by date key, then by store position).
  std::vector<ItemHit> search(const ItemSearch& query);

 private:
  struct Recorded;
  bool ensureOpen();
  bool createSchema();
  void replaceDamaged();
  bool reindex(const QString& feedId, qint64 size, qint64 mtime);
  bool recordedMatches(const QString& feedId, qint64 size, qint64 mtime);
  bool noteError(const QSqlError& error);
  bool recoverFromDamage();

  AppPaths paths_;
  QString connection_;
  OpenState state_ = OpenState::Failed;
  bool opened_ = false;
  bool damaged_ = false;
  QStringList synced_;  // the feeds of the last sync, to build a replaced index again
};

}  // namespace tidewell
