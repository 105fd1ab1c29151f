#include "feeds/ItemStore.h"

#include "core/RuntimeError.h"
#include "core/UserMessages.h"
#include "core/Utilities.h"
#include "core/clsMD5.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedOptions.h"
#include "feeds/FeedXml.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"
#include "feeds/StoreStatusPatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cstring>

namespace tidewell {

namespace {

const char* const kInvalidFormatTitle = "Invalid File format!";

// A store that cannot be opened or read is left as it is, as a damaged one.
bool unusable(LoadState state) { return state == LoadState::NotXml || state == LoadState::Unreadable; }

QByteArray utf8(const QString& text) { return text.toUtf8(); }

void setText(pugi::xml_node element, const QString& text) {
  while (element.first_child()) element.remove_child(element.first_child());
  if (!text.isEmpty()) element.append_child(pugi::node_pcdata).set_value(utf8(text).constData());
}

void appendTextChild(pugi::xml_node parent, const char* name, const QString& text) {
  pugi::xml_node child = parent.append_child(name);
  if (!text.isEmpty()) child.append_child(pugi::node_pcdata).set_value(utf8(text).constData());
}

void appendItem(pugi::xml_node items, const FeedItem& item) {
  pugi::xml_node node = items.append_child("item");
  node.append_attribute("id").set_value(utf8(item.id).constData());
  node.append_attribute("status").set_value("0");
  appendTextChild(node, "title", item.title);
  appendTextChild(node, "link", item.link);
  appendTextChild(node, "date", ItemStore::StoredDate(item));
  appendTextChild(node, "desc", item.description);
  pugi::xml_node media = node.append_child("media");
  if (!item.media.isEmpty()) media.append_child(pugi::node_pcdata).set_value(utf8(item.media).constData());
  if (!item.mediaType.isEmpty()) media.append_attribute("type").set_value(utf8(item.mediaType).constData());
  if (!item.mediaLength.isEmpty()) media.append_attribute("length").set_value(utf8(item.mediaLength).constData());
  // The body after every element the readers know; only when it says more
  // than the description, so a feed without separate bodies costs nothing.
  if (!item.content.isEmpty() && item.content != item.description) appendTextChild(node, "content", item.content);
}

// The parts beside the list's: description, media with its type and length, body.
template <typename Item>
void readDetails(const pugi::xml_node& node, Item& item) {
  item.description = FeedXml::text(FeedXml::child(node, "desc"));
  const pugi::xml_node media = FeedXml::child(node, "media");
  item.media = FeedXml::text(media);
  item.mediaType = FeedXml::value(media.attribute("type").value());
  item.mediaLength = FeedXml::value(media.attribute("length").value());
  item.content = FeedXml::text(FeedXml::child(node, "content"));
}

// The extension element for conditional requests stays after the elements
// every reader knows.
pugi::xml_node ensureLatest(pugi::xml_node data) {
  if (pugi::xml_node latest = FeedXml::child(data, "latest")) return latest;
  if (pugi::xml_node http = FeedXml::child(data, "http")) return data.insert_child_before("latest", http);
  return data.append_child("latest");
}

bool isBlankLatest(const QString& latest) {
  const QString trimmed = latest.trimmed();
  if (trimmed.isEmpty()) return true;
  for (QChar c : trimmed) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return true;
  }
  return false;
}

QString itemId(const pugi::xml_node& item) { return FeedXml::value(item.first_attribute().value()); }

// The idx-th element child (0-based), skipping text and comments.
pugi::xml_node elementAt(const pugi::xml_node& node, int index) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (index-- == 0) return c;
  }
  return {};
}

bool isStarred(const pugi::xml_node& item) { return std::strcmp(item.attribute("starred").value(), "1") == 0; }

// Stars go in the third attribute, after the id and the status the list reads
// by position, and only on starred items, so unstarred items stay as older
// versions wrote them.
bool setStarred(pugi::xml_node item, bool starred) {
  if (isStarred(item) == starred) return false;
  item.remove_attribute("starred");
  if (!starred) return true;
  pugi::xml_attribute id = item.first_attribute();
  if (!id) id = item.append_attribute("id");
  pugi::xml_attribute status = id.next_attribute();
  if (!status) {
    status = item.append_attribute("status");
    status.set_value("0");
  }
  item.insert_attribute_after("starred", status).set_value("1");
  return true;
}

bool isItem(const pugi::xml_node& node) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), "item") == 0;
}

}  // namespace

ItemRef ItemRef::fromLink(const QString& link) { return {clsMD5().GetMD5(link), 0}; }

ItemStore::ItemStore(QString path) : path_(std::move(path)) {}

ItemStore::ItemStore(QString path, const RetentionPolicy& defaultRetention)
    : path_(std::move(path)), defaultRetention_(defaultRetention) {}

QString ItemStore::StoredDate(const FeedItem& item) {
  return item.year + QLatin1Char('-') + item.month + QLatin1Char('-') + item.day + QLatin1Char('T') + item.time;
}

void ItemStore::SplitStoredDate(const QString& stored, FeedItem& into) {
  const qsizetype t = stored.indexOf(QLatin1Char('T'));
  const QString datePart = t < 0 ? stored : stored.left(t);
  into.time = t < 0 ? QString() : stored.mid(t + 1);
  const QStringList parts = datePart.split(QLatin1Char('-'));
  into.year = parts.value(0);
  into.month = parts.value(1);
  into.day = parts.value(2);
}

void ItemStore::AddItemToStore(const FeedItem& item) const {
  StoreLock lock(path_, lockWaitMs_);
  if (!lock.locked()) return;
  StoreDocument store;
  const LoadState state = loadStore(path_, store);
  if (unusable(state)) return;
  if (state == LoadState::Missing) createSkeleton(store, true);
  if (!store.items) return;
  appendItem(store.items, item);
  (void)saveStore(store, path_);
}

void ItemStore::UpdateLatestMarker(const QString& latestId) const {
  StoreLock lock(path_, lockWaitMs_);
  if (!lock.locked()) return;
  StoreDocument store;
  const LoadState state = loadStore(path_, store);
  if (unusable(state)) return;
  if (state == LoadState::Missing) createSkeleton(store, false);
  if (!store.data) return;
  setText(ensureLatest(store.data), latestId);
  (void)saveStore(store, path_);
}

QString ItemStore::ReadLatestId() const {
  StoreDocument store;
  if (loadStore(path_, store) != LoadState::Loaded) return {};
  const pugi::xml_node latest = FeedXml::findPath(store.document, {"data", "latest"});
  return latest ? FeedXml::text(latest) : QString();
}

std::optional<StoredItems> ItemStore::LoadStoredItems(UserMessages& messages) const {
  StoreDocument store;
  const LoadState state = loadStore(path_, store);
  if (state == LoadState::Missing) return StoredItems{};
  if (unusable(state)) {
    messages.showMessage(QStringLiteral("Failed to load the Feed Data file details."),
                         QString::fromLatin1(kInvalidFormatTitle), MessageIcon::Exclamation);
    return std::nullopt;
  }
  if (!store.items) {
    messages.showMessage(QStringLiteral("Application failed to access Records in Feed Data file!"),
                         QString::fromLatin1(kInvalidFormatTitle), MessageIcon::Exclamation);
    return std::nullopt;
  }
  StoredItems result;
  if (const pugi::xml_node latest = FeedXml::findPath(store.document, {"data", "latest"})) {
    result.latestId = FeedXml::text(latest);
  }
  QHash<QString, int> seen;
  for (pugi::xml_node node = store.items.first_child(); node; node = node.next_sibling()) {
    if (!isItem(node)) continue;
    StoredItem item;
    // The list reads the id, status, title, link and date by position.
    item.id = itemId(node);
    item.status = FeedXml::value(node.first_attribute().next_attribute().value());
    item.title = FeedXml::text(elementAt(node, 0));
    item.link = FeedXml::text(elementAt(node, 1));
    item.date = FeedXml::text(elementAt(node, 2));
    readDetails(node, item);
    item.starred = isStarred(node);
    item.occurrence = seen[item.id]++;
    result.items.push_back(std::move(item));
  }
  return result;
}

bool ItemStore::ItemOperation(const QString& link, const QString& operation, bool markRead, UserMessages& messages,
                              FeedItem* info, QString* latestId) const {
  return ItemOperation(ItemRef::fromLink(link), operation, markRead, messages, info, latestId);
}

bool ItemStore::ItemOperation(const ItemRef& ref, const QString& operation, bool markRead, UserMessages& messages,
                              FeedItem* info, QString* latestId) const {
  StoreLock lock(path_, lockWaitMs_);
  if (!lock.locked()) {
    messages.showMessage(QString::fromLatin1(kStoreBusyText), QString::fromLatin1(kStoreBusyTitle),
                         MessageIcon::Exclamation);
    return false;
  }
  // A read mark, the most frequent save, patches the status where it stands
  // in the file instead of reading and writing the whole document.
  const bool readMark = operation == QLatin1String("read");
  if ((readMark || operation == QLatin1String("unread")) && latestId == nullptr) {
    ErrorInfo error;
    switch (StoreStatusPatch::apply(path_, ref, readMark ? "1" : "0", &error)) {
      case StoreStatusPatch::Outcome::Unchanged:
      case StoreStatusPatch::Outcome::Saved: return true;
      case StoreStatusPatch::Outcome::SaveFailed:
        lock.release();
        reportRuntimeError(messages, QStringLiteral("ItemOperation"), 2, error);
        return false;
      case StoreStatusPatch::Outcome::NotApplicable: break;
    }
  }
  StoreDocument store;
  const LoadState state = loadStore(path_, store);
  if (state == LoadState::Missing) {
    lock.release();
    messages.showMessage(QStringLiteral("Application failed to access Feed Data file. Item details cannot be fetched."),
                         QStringLiteral("Feed Data file is missing!"), MessageIcon::Exclamation);
    return false;
  }
  if (unusable(state)) {
    lock.release();
    messages.showMessage(QStringLiteral("Failed to load the Feed Data file details."),
                         QString::fromLatin1(kInvalidFormatTitle), MessageIcon::Exclamation);
    return false;
  }
  if (!store.items) {
    lock.release();
    messages.showMessage(QStringLiteral("Application failed to access Records in Feed Data file!"),
                         QString::fromLatin1(kInvalidFormatTitle), MessageIcon::Exclamation);
    return false;
  }
  if (latestId != nullptr) {
    const pugi::xml_node latest = FeedXml::findPath(store.document, {"data", "latest"});
    if (latest) *latestId = FeedXml::text(latest);
  }

  const QByteArray wanted = utf8(ref.id);
  int occurrence = 0;
  pugi::xml_node found;
  for (pugi::xml_node node = store.items.first_child(); node; node = node.next_sibling()) {
    if (!isItem(node) || std::strcmp(node.first_attribute().value(), wanted.constData()) != 0) continue;
    if (occurrence++ == ref.occurrence) {
      found = node;
      break;
    }
  }
  if (!found) return false;

  bool changed = false;
  // The list reads the id and the status by position, so the status written
  // is the second attribute; an item without attributes first gets its empty
  // id back, else the new status would become its id.
  auto setStatus = [&](const char* value) {
    pugi::xml_attribute id = found.first_attribute();
    if (!id) id = found.append_attribute("id");
    pugi::xml_attribute status = id.next_attribute();
    if (!status) status = found.append_attribute("status");
    if (std::strcmp(status.value(), value) != 0) {
      status.set_value(value);
      changed = true;
    }
  };
  if (operation == QLatin1String("del")) {
    store.items.remove_child(found);
    changed = true;
  } else if (operation == QLatin1String("getinfo")) {
    if (info != nullptr) {
      FeedItem item;
      item.title = FeedXml::text(FeedXml::child(found, "title"));
      item.link = FeedXml::text(FeedXml::child(found, "link"));
      SplitStoredDate(FeedXml::text(FeedXml::child(found, "date")), item);
      readDetails(found, item);
      item.id = itemId(found);
      *info = std::move(item);
    }
    if (markRead) setStatus("1");
  } else if (operation == QLatin1String("read")) {
    setStatus("1");
  } else if (operation == QLatin1String("unread")) {
    setStatus("0");
  } else if (operation == QLatin1String("star") || operation == QLatin1String("unstar")) {
    changed = setStarred(found, operation == QLatin1String("star"));
  }
  if (!changed) return true;
  const Status saved = saveStore(store, path_);
  if (!saved) {
    lock.release();
    reportRuntimeError(messages, QStringLiteral("ItemOperation"), 2, saved.error());
    return false;
  }
  return true;
}

namespace {

// Date keys compared as numbers of any length.
bool keyLaterThan(const QString& key, const QString& bound) {
  const auto digits = [](const QString& text) {
    qsizetype first = 0;
    while (first < text.size() - 1 && text.at(first) == QLatin1Char('0')) ++first;
    return QStringView(text).mid(first);
  };
  const QStringView a = digits(key.trimmed());
  const QStringView b = digits(bound);
  return a.size() != b.size() ? a.size() > b.size() : a.compare(b) > 0;
}

}  // namespace

MergeResult ItemStore::MergeNewItems(const FeedItems& parsed, const QString& latestId,
                                     const CacheValidators* validators, const QDateTime& downloadTime) const {
  const QDateTime utc = downloadTime.toUTC();
  const QString now = utc.toString(QStringLiteral("yyyyMMddHHmmss"));
  const QString bound = utc.addDays(1).toString(QStringLiteral("yyyyMMddHHmmss"));
  StoreLock lock(path_, lockWaitMs_);
  MergeResult result;
  result.latestId = latestId;
  if (!lock.locked()) {
    result.fault = StoreFault::Locked;
    return result;
  }
  StoreDocument store;
  const LoadState state = loadStore(path_, store);
  if (state == LoadState::Missing) createSkeleton(store, true);
  // Another instance may have stored this feed's new items since the caller
  // read the latest id: the walk starts from the one stored now.
  if (state == LoadState::Loaded && store.data) {
    if (const pugi::xml_node latest = FeedXml::child(store.data, "latest")) {
      const QString stored = FeedXml::text(latest);
      if (!isBlankLatest(stored)) result.latestId = stored;
    }
  }
  const QString startId = result.latestId;
  if (!isBlankLatest(result.latestId) && keyLaterThan(result.latestId, bound)) result.latestId.clear();

  // Ids already stored, wanted only while the latest id is blank.
  std::optional<QSet<QString>> known;
  auto knownIds = [&]() -> QSet<QString>& {
    if (!known) {
      known.emplace();
      if (store.items) {
        for (pugi::xml_node node = store.items.first_child(); node; node = node.next_sibling()) {
          if (isItem(node)) known->insert(itemId(node));
        }
      }
    }
    return *known;
  };

  for (auto it = parsed.rbegin(); it != parsed.rend(); ++it) {
    const bool blank = isBlankLatest(result.latestId);
    QString key = DateKey(*it);
    bool future = false;
    if (!isBlankLatest(key) && keyLaterThan(key, bound)) {
      // Its key moves with the clock: stored once, it is known by its id.
      if (!it->id.isEmpty() && knownIds().contains(it->id)) continue;
      key = now;
      future = true;
    }
    // A future item not stored yet is new whatever the latest id says: its
    // own key is no guide, and counting it as the download time would lose
    // it behind an item dated within the grace day (or behind another
    // future item of the same answer). Its id tells it apart.
    const bool newFuture = future && !it->id.isEmpty();
    const bool newer = IsNewerThanLatest(key, result.latestId);
    if (!newer && !newFuture && !(future && result.latestId == now)) continue;
    if (blank && !it->id.isEmpty()) {
      // An undated (or first) item already in the store is known, not new.
      if (knownIds().contains(it->id)) continue;
      knownIds().insert(it->id);
    } else if (known && !it->id.isEmpty()) {
      known->insert(it->id);
    }
    result.addedItems.push_back(*it);
  }
  result.added = static_cast<int>(result.addedItems.size());

  if (unusable(state)) {
    // A damaged store is left as it is, and nothing was added to it.
    result.fault = StoreFault::Damaged;
    result.added = 0;
    result.addedItems.clear();
    return result;
  }
  bool changed = false;
  if (store.items) {
    for (const FeedItem& item : result.addedItems) appendItem(store.items, item);
    changed = result.added > 0;
    if (changed) {
      const RetentionPolicy policy =
          RetentionPolicy::fromElement(FeedXml::child(store.data, "retention")).value_or(defaultRetention_);
      result.removed = policy.apply(store.items, downloadTime);
    }
  }
  if (store.data && (result.added > 0 || result.latestId != startId)) {
    setText(ensureLatest(store.data), result.latestId);
    changed = true;
  }
  if (validators != nullptr && store.data) {
    pugi::xml_node http = FeedXml::child(store.data, "http");
    const CacheValidators current{http ? QByteArray(http.attribute("etag").value()) : QByteArray(),
                                  http ? QByteArray(http.attribute("modified").value()) : QByteArray()};
    if (!(current == *validators)) {
      if (!http) http = store.data.append_child("http");
      http.remove_attributes();
      http.append_attribute("etag").set_value(validators->etag.constData());
      http.append_attribute("modified").set_value(validators->lastModified.constData());
      changed = true;
    }
  }
  if (changed) {
    const Status saved = saveStore(store, path_);
    result.saved = saved.ok();
    if (!result.saved) {
      result.fault = StoreFault::SaveFailed;
      result.error = saved.error();
      result.added = 0;
      result.addedItems.clear();
      result.removed = 0;
    }
  }
  return result;
}

std::optional<RetentionPolicy> ItemStore::ReadRetention() const { return FeedOptions(path_).retention(); }

bool ItemStore::WriteRetention(const std::optional<RetentionPolicy>& policy) const {
  return FeedOptions(path_).setRetention(policy);
}

int ItemStore::Prune(const QDateTime& now) const {
  StoreLock lock(path_, lockWaitMs_);
  if (!lock.locked()) return -1;
  StoreDocument store;
  const LoadState state = loadStore(path_, store);
  if (state == LoadState::Missing) return 0;
  if (unusable(state) || !store.items) return -1;
  const RetentionPolicy policy =
      RetentionPolicy::fromElement(FeedXml::child(store.data, "retention")).value_or(defaultRetention_);
  const int removed = policy.apply(store.items, now);
  if (removed == 0) return 0;
  return saveStore(store, path_).ok() ? removed : -1;
}

int ItemStore::SetAllStatus(bool read) const {
  StoreLock lock(path_, lockWaitMs_);
  if (!lock.locked()) return -1;
  StoreDocument store;
  if (loadStore(path_, store) != LoadState::Loaded || !store.items) return -1;
  const char* const value = read ? "1" : "0";
  int changed = 0;
  for (pugi::xml_node node = store.items.first_child(); node; node = node.next_sibling()) {
    if (!isItem(node)) continue;
    // The status stays the second attribute, as ItemOperation keeps it.
    pugi::xml_attribute id = node.first_attribute();
    if (!id) id = node.append_attribute("id");
    pugi::xml_attribute status = id.next_attribute();
    if (!status) status = node.append_attribute("status");
    if (std::strcmp(status.value(), value) == 0) continue;
    status.set_value(value);
    ++changed;
  }
  if (changed == 0) return 0;
  return saveStore(store, path_).ok() ? changed : -1;
}

CacheValidators ItemStore::ReadCacheValidators() const {
  StoreDocument store;
  if (loadStore(path_, store) != LoadState::Loaded || !store.data) return {};
  const pugi::xml_node http = FeedXml::child(store.data, "http");
  return {QByteArray(http.attribute("etag").value()), QByteArray(http.attribute("modified").value())};
}

bool ItemStore::WriteCacheValidators(const CacheValidators& validators) const {
  return MergeNewItems({}, ReadLatestId(), &validators).saved;
}

}  // namespace tidewell
