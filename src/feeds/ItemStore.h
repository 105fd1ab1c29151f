#pragma once

#include "core/Result.h"
#include "feeds/FeedItem.h"
#include "feeds/RetentionPolicy.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace tidewell {

class UserMessages;

// Which stored item an operation means: its stored id and its position among
// the stored items with that id (0 = the first). Items without a link are
// stored with an empty id and are told apart by occurrence alone.
struct ItemRef {
  QString id;
  int occurrence = 0;

  // The first item whose id is the MD5 of link.
  static ItemRef fromLink(const QString& link);
};

// One stored item as the list reads it.
struct StoredItem {
  QString id;
  QString status;  // "0" unread, "1" read (as stored)
  QString title;
  QString link;
  QString date;  // "2002-Sep-07T00:00:01", "--T" without date
  QString description;
  QString media;
  QString mediaType;     // the enclosure's MIME type, "" when not stated
  QString mediaLength;   // its length in bytes as the feed states it
  QString content;       // the body; "" when it is the description (or older stores)
  bool starred = false;  // starred="1", the third attribute, written only when set
  int occurrence = 0;    // position among stored items with the same id

  const QString& body() const { return content.isEmpty() ? description : content; }

  ItemRef ref() const { return {id, occurrence}; }
};

struct StoredItems {
  QString latestId;
  std::vector<StoredItem> items;  // file order
};

// ETag and Last-Modified of the feed's last answer, kept in the store for
// conditional requests.
struct CacheValidators {
  QByteArray etag;
  QByteArray lastModified;
  bool operator==(const CacheValidators&) const = default;
};

// Why a change did not reach the file.
enum class StoreFault {
  None,
  Locked,      // another writer held the store past the wait
  Damaged,     // the file is not an item store; it was left as it is
  SaveFailed,  // the new file could not be written (error says why)
};

// The box shown when a window's change meets a store another writer holds.
inline constexpr const char* kStoreBusyText =
    "The Feed Data file is in use by another check. Please try again in a moment.";
inline constexpr const char* kStoreBusyTitle = "Feed Data file is busy!";

struct MergeResult {
  int added = 0;
  FeedItems addedItems;                 // in the order they were appended (oldest first for a newest-first feed)
  QString latestId;                     // after the walk
  int removed = 0;                      // items the feed's retention removed in the same save
  bool saved = false;                   // the file was written
  StoreFault fault = StoreFault::None;  // with a fault nothing was added
  ErrorInfo error;                      // what the failed save met
};

// The item store of one feed (Data/<feed id>.fdb):
//   <data><items><item id=".." status="0" [starred="1"]><title/><link/><date/><desc/>
//         <media type=".." length=".."/><content/></item>...</items>
//         <latest>20020907000001</latest><http etag=".." modified=".."/></data>
// Element and attribute order is fixed: readers take them by position. Every
// operation loads the file, works and saves it atomically; nothing is held open.
class ItemStore {
 public:
  explicit ItemStore(QString path);
  // defaultRetention: the limits of a feed without its own choice.
  ItemStore(QString path, const RetentionPolicy& defaultRetention);
  const QString& path() const { return path_; }
  // How long an operation waits for another writer's lock (tests shorten it).
  void setLockWaitMs(int milliseconds) { lockWaitMs_ = milliseconds; }

  // Appends one item as unread; creates the file when missing. Silent on failure.
  void AddItemToStore(const FeedItem& item) const;
  // Writes latestId into latest (created after the existing children). Silent on failure.
  void UpdateLatestMarker(const QString& latestId) const;

  // The stored items in file order and the latest id. A missing file gives an
  // empty list silently; a file that is not XML or lacks items shows its
  // message and gives nullopt.
  std::optional<StoredItems> LoadStoredItems(UserMessages& messages) const;

  // operation: "del" (remove the item), "getinfo" (fill info, and with
  // markRead set status "1"), "read", "unread", "star", "unstar", "check"
  // (no change). False
  // when the item is not found or the file is missing or damaged (its message
  // shown). latestId, when given, receives the stored latest id.
  bool ItemOperation(const ItemRef& item, const QString& operation, bool markRead, UserMessages& messages,
                     FeedItem* info = nullptr, QString* latestId = nullptr) const;
  // The form that finds the first item whose id is the MD5 of link.
  bool ItemOperation(const QString& link, const QString& operation, bool markRead, UserMessages& messages,
                     FeedItem* info = nullptr, QString* latestId = nullptr) const;

  // Sets every item's status to "1" (read) or "0" in one load and one save;
  // the number of items changed, or -1 when the file is missing, damaged or
  // cannot be saved (silent: the callers report it).
  int SetAllStatus(bool read) const;

  // The stored latest id; "" when the file is missing, not XML or has none.
  QString ReadLatestId() const;

  // The new-item walk over parsed items (document order) from the last to the
  // first, starting at latestId: new items are appended in walk order and the
  // latest id written, in one load and one save; when items were added the
  // feed's retention is applied in the same save. While the latest id is blank,
  // an item whose non-empty id is already stored is not stored again. When
  // validators is given they are stored as well (the file is then written even
  // without new items).
  //
  // A date key later than downloadTime plus a day (time zones) counts as
  // downloadTime for the latest id, so one item dated in the far future does
  // not hide every later item; the item keeps its own date. A stored latest
  // id past that bound is treated as blank, which heals stores it already
  // stopped.
  MergeResult MergeNewItems(const FeedItems& parsed, const QString& latestId,
                            const CacheValidators* validators = nullptr,
                            const QDateTime& downloadTime = QDateTime::currentDateTimeUtc()) const;

  // The feed's own retention choice (the store's retention element); nullopt
  // when it follows the default (or the file is missing or damaged).
  std::optional<RetentionPolicy> ReadRetention() const;
  // Stores the feed's own choice, or with nullopt goes back to the default;
  // creates the file when missing. False when it could not be saved.
  bool WriteRetention(const std::optional<RetentionPolicy>& policy) const;
  // Applies the feed's limits now (its own, else the default) and saves when
  // something went; the number of items removed, -1 when the file could not
  // be read or saved. A missing file removes nothing.
  int Prune(const QDateTime& now = QDateTime::currentDateTime()) const;

  CacheValidators ReadCacheValidators() const;
  bool WriteCacheValidators(const CacheValidators& validators) const;

  // "2002-Sep-07T00:00:01" from the parsed fields, and back (split at the
  // first "T", the date part on "-" into year, month and day).
  static QString StoredDate(const FeedItem& item);
  static void SplitStoredDate(const QString& stored, FeedItem& into);

 private:
  QString path_;
  RetentionPolicy defaultRetention_;
  int lockWaitMs_ = 10000;
};

}  // namespace tidewell
