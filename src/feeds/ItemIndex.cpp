#include "feeds/ItemIndex.h"

#include "core/UserMessages.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedItem.h"
#include "feeds/ItemStore.h"
#include "feeds/SearchText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <optional>

namespace tidewell {

namespace {

// Raised whenever the tables change shape: an index of another layout is
// replaced, as a damaged one is.
const char* const kSchemaVersion = "1";

// A store written less than this long before it was read may be written
// again within the same tick of the file system's clock, keeping its size and
// time: such a record is not trusted, and the next refresh reads it again.
constexpr qint64 kRacyWindowMs = 2000;
constexpr qint64 kMissingStore = -2;
constexpr qint64 kRecheck = -1;

// SQLite's result codes for a file that is not (or no longer) a database.
bool isDamage(const QSqlError& error) {
  const QString code = error.nativeErrorCode();
  return code == QLatin1String("11") || code == QLatin1String("26");
}

class SilentMessages : public UserMessages {
 public:
  void showMessage(const QString&, const QString&, MessageIcon) override {}
  bool askYesNo(const QString&, const QString&) override { return false; }
  bool askRetryCancel(const QString&, const QString&, MessageIcon) override { return false; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

quint64 contentHash(const StoredItem& item) {
  size_t seed = qHash(item.title, size_t(0x7e11));
  seed = qHash(item.description, seed);
  return qHash(item.date, seed);
}

qint64 dateKeyNumber(const QString& storedDate) {
  FeedItem fields;
  ItemStore::SplitStoredDate(storedDate, fields);
  bool ok = false;
  const qint64 key = DateKey(fields).toLongLong(&ok);
  return ok ? key : 0;
}

// One FTS5 phrase per word, so punctuation inside a word cannot turn into
// query syntax; words without a letter or digit give no token and are left
// out. Empty when nothing is left to match.
QString matchExpression(const QStringList& words, bool prefixLast) {
  QStringList phrases;
  for (qsizetype i = 0; i < words.size(); ++i) {
    const QString& word = words[i];
    bool hasToken = false;
    for (QChar c : word) hasToken = hasToken || c.isLetterOrNumber();
    if (!hasToken) continue;
    QString phrase =
        QLatin1Char('"') + QString(word).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
    if (prefixLast && i == words.size() - 1) phrase += QLatin1Char('*');
    phrases << phrase;
  }
  return phrases.join(QLatin1Char(' '));
}

}  // namespace

struct ItemIndex::Recorded {
  qint64 rowid = 0;
  qint64 seq = 0;
  int occurrence = 0;
  bool unread = false;
  bool starred = false;
  qint64 dateKey = 0;
  QString itemId;
};

ItemIndex::ItemIndex(AppPaths paths)
    : paths_(std::move(paths)),
      connection_(QStringLiteral("itemindex-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

ItemIndex::~ItemIndex() {
  {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (db.isValid()) db.close();
  }
  if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
}

QString ItemIndex::fileName() { return QStringLiteral("ItemIndex.sqlite"); }
QString ItemIndex::path() const { return paths_.file(fileName()); }

ItemIndex::OpenState ItemIndex::open() {
  if (opened_) return state_;
  opened_ = true;
  const bool existed = QFileInfo::exists(path());
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
  db.setDatabaseName(path());
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
  if (!db.open()) {
    state_ = OpenState::Failed;
    return state_;
  }
  QSqlQuery check(db);
  const bool current = check.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'schema'")) && check.next() &&
                       check.value(0).toString() == QLatin1String(kSchemaVersion);
  check.finish();
  if (current) {
    state_ = OpenState::Opened;
  } else if (!existed) {
    state_ = createSchema() ? OpenState::Created : OpenState::Failed;
  } else {
    replaceDamaged();
  }
  if (state_ != OpenState::Failed) {
    QSqlQuery pragma(db);
    // WAL: the desktop program and a script may read while the other writes;
    // a crash loses at most the last transactions, which the stores' times
    // bring back.
    pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
  }
  return state_;
}

bool ItemIndex::createSchema() {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  QSqlQuery q(db);
  const char* const statements[] = {
      "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT)",
      "CREATE TABLE IF NOT EXISTS feeds(id TEXT PRIMARY KEY, size INTEGER, mtime INTEGER, unread INTEGER, "
      "total INTEGER, starred INTEGER)",
      "CREATE TABLE IF NOT EXISTS items(rowid INTEGER PRIMARY KEY, feed TEXT NOT NULL, seq INTEGER, item_id TEXT, "
      "occurrence INTEGER, unread INTEGER, starred INTEGER, datekey INTEGER, hash INTEGER)",
      "CREATE INDEX IF NOT EXISTS items_by_feed ON items(feed)",
      "CREATE INDEX IF NOT EXISTS items_by_date ON items(datekey, seq)",
      "CREATE INDEX IF NOT EXISTS items_starred ON items(starred) WHERE starred = 1",
      // unicode61 folds case; remove_diacritics 2 also folds accents of
      // letters written with combining marks.
      "CREATE VIRTUAL TABLE IF NOT EXISTS items_text USING fts5(title, body, "
      "tokenize = 'unicode61 remove_diacritics 2')",
  };
  for (const char* statement : statements) {
    if (!q.exec(QString::fromLatin1(statement))) return false;
  }
  return q.exec(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) VALUES ('schema', '%1')")
                    .arg(QLatin1String(kSchemaVersion)));
}

// The index is derived: a damaged file is dropped and built again from the stores.
void ItemIndex::replaceDamaged() {
  {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    db.close();
  }
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path() + QLatin1String(suffix));
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  state_ = db.open() && createSchema() ? OpenState::Replaced : OpenState::Failed;
}

bool ItemIndex::ensureOpen() {
  open();
  return state_ != OpenState::Failed;
}

// Remembers whether a failed statement met a damaged file; always false, for
// the caller's return.
bool ItemIndex::noteError(const QSqlError& error) {
  if (isDamage(error)) damaged_ = true;
  return false;
}

// After a failure: a damaged file is replaced and built again from the
// stores of the last sync. False when there was nothing to recover from.
bool ItemIndex::recoverFromDamage() {
  if (!damaged_) return false;
  damaged_ = false;
  replaceDamaged();
  if (state_ == OpenState::Failed) return false;
  const QStringList feeds = synced_;
  if (!feeds.isEmpty()) sync(feeds);
  return true;
}

bool ItemIndex::recordedMatches(const QString& feedId, qint64 size, qint64 mtime) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.prepare(QStringLiteral("SELECT size, mtime FROM feeds WHERE id = ?"));
  q.addBindValue(feedId);
  if (!q.exec()) return noteError(q.lastError());
  if (!q.next()) return false;
  return q.value(0).toLongLong() == size && q.value(1).toLongLong() == mtime;
}

int ItemIndex::sync(const QStringList& feedIds) {
  if (!ensureOpen()) return 0;
  synced_ = feedIds;
  for (int attempt = 0; attempt < 2; ++attempt) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QHash<QString, std::pair<qint64, qint64>> recorded;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool ok = q.exec(QStringLiteral("SELECT id, size, mtime FROM feeds")) || noteError(q.lastError());
    while (ok && q.next()) recorded.insert(q.value(0).toString(), {q.value(1).toLongLong(), q.value(2).toLongLong()});
    if (ok && q.lastError().isValid()) ok = noteError(q.lastError());
    q.finish();
    int reread = 0;
    QSet<QString> wanted;
    for (const QString& id : feedIds) {
      if (!ok) break;
      wanted.insert(id);
      const QFileInfo info(paths_.itemStore(id));
      const qint64 size = info.exists() ? info.size() : kMissingStore;
      const qint64 mtime = info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0;
      const auto found = recorded.constFind(id);
      if (found != recorded.constEnd() && found->first == size && found->second == mtime) continue;
      ok = reindex(id, size, mtime);
      ++reread;
    }
    for (auto it = recorded.constBegin(); ok && it != recorded.constEnd(); ++it) {
      if (!wanted.contains(it.key())) forget(it.key());
    }
    if (ok) return reread;
    // A damaged file is replaced; the second pass builds it from the stores.
    if (!damaged_) return reread;
    damaged_ = false;
    replaceDamaged();
    if (state_ == OpenState::Failed) return reread;
  }
  return 0;
}

bool ItemIndex::refresh(const QString& feedId) {
  if (!ensureOpen()) return false;
  const QFileInfo info(paths_.itemStore(feedId));
  const qint64 size = info.exists() ? info.size() : kMissingStore;
  const qint64 mtime = info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0;
  if (recordedMatches(feedId, size, mtime)) return true;
  if (reindex(feedId, size, mtime)) return true;
  if (!recoverFromDamage()) return false;
  return reindex(feedId, size, mtime);
}

void ItemIndex::forget(const QString& feedId) {
  if (!ensureOpen()) return;
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  db.transaction();
  QSqlQuery q(db);
  q.prepare(QStringLiteral("DELETE FROM items_text WHERE rowid IN (SELECT rowid FROM items WHERE feed = ?)"));
  q.addBindValue(feedId);
  q.exec();
  q.prepare(QStringLiteral("DELETE FROM items WHERE feed = ?"));
  q.addBindValue(feedId);
  q.exec();
  q.prepare(QStringLiteral("DELETE FROM feeds WHERE id = ?"));
  q.addBindValue(feedId);
  q.exec();
  db.commit();
}

// Re-reads one store and brings its rows in line: an item whose text is
// unchanged keeps its row and only its flags and position are updated, so a
// read mark or a star costs one row, not the feed's whole text again.
bool ItemIndex::reindex(const QString& feedId, qint64 size, qint64 mtime) {
  StoredItems stored;
  if (size != kMissingStore) {
    SilentMessages silent;
    // A store that does not load counts as empty until it is mended.
    if (auto loaded = ItemStore(paths_.itemStore(feedId)).LoadStoredItems(silent)) stored = std::move(*loaded);
  }
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (!db.transaction()) return noteError(db.lastError());
  auto fail = [&](const QSqlQuery& failing) {
    noteError(failing.lastError());
    db.rollback();
    return false;
  };

  QMultiHash<quint64, Recorded> known;
  {
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "SELECT rowid, hash, seq, occurrence, unread, starred, datekey, item_id FROM items WHERE feed = ?"));
    q.addBindValue(feedId);
    if (!q.exec()) return fail(q);
    while (q.next()) {
      Recorded row{q.value(0).toLongLong(), q.value(2).toLongLong(), q.value(3).toInt(),   q.value(4).toBool(),
                   q.value(5).toBool(),     q.value(6).toLongLong(), q.value(7).toString()};
      known.insert(q.value(1).toULongLong(), row);
    }
  }

  QSqlQuery update(db);
  update.prepare(QStringLiteral(
      "UPDATE items SET seq = ?, occurrence = ?, unread = ?, starred = ?, datekey = ?, item_id = ? WHERE rowid = ?"));
  QSqlQuery insert(db);
  insert.prepare(
      QStringLiteral("INSERT INTO items(feed, seq, item_id, occurrence, unread, starred, datekey, hash) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
  QSqlQuery insertText(db);
  insertText.prepare(QStringLiteral("INSERT INTO items_text(rowid, title, body) VALUES (?, ?, ?)"));

  FeedCounts counts;
  for (qsizetype seq = 0; seq < static_cast<qsizetype>(stored.items.size()); ++seq) {
    const StoredItem& item = stored.items[static_cast<size_t>(seq)];
    const bool unread = item.status.trimmed().toInt() == 0;
    const qint64 dateKey = dateKeyNumber(item.date);
    ++counts.total;
    if (unread) ++counts.unread;
    if (item.starred) ++counts.starred;
    const quint64 hash = contentHash(item);
    auto found = known.find(hash);
    if (found != known.end()) {
      const Recorded row = *found;
      known.erase(found);
      if (row.seq == seq && row.occurrence == item.occurrence && row.unread == unread && row.starred == item.starred &&
          row.dateKey == dateKey && row.itemId == item.id) {
        continue;
      }
      update.addBindValue(seq);
      update.addBindValue(item.occurrence);
      update.addBindValue(unread ? 1 : 0);
      update.addBindValue(item.starred ? 1 : 0);
      update.addBindValue(dateKey);
      update.addBindValue(item.id);
      update.addBindValue(row.rowid);
      if (!update.exec()) return fail(update);
      continue;
    }
    insert.addBindValue(feedId);
    insert.addBindValue(seq);
    insert.addBindValue(item.id);
    insert.addBindValue(item.occurrence);
    insert.addBindValue(unread ? 1 : 0);
    insert.addBindValue(item.starred ? 1 : 0);
    insert.addBindValue(dateKey);
    insert.addBindValue(static_cast<qint64>(hash));
    if (!insert.exec()) return fail(insert);
    insertText.addBindValue(insert.lastInsertId());
    insertText.addBindValue(item.title);
    insertText.addBindValue(SearchableText(item.description));
    if (!insertText.exec()) return fail(insertText);
  }

  if (!known.isEmpty()) {
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM items WHERE rowid = ?"));
    QSqlQuery removeText(db);
    removeText.prepare(QStringLiteral("DELETE FROM items_text WHERE rowid = ?"));
    for (const Recorded& row : std::as_const(known)) {
      remove.addBindValue(row.rowid);
      removeText.addBindValue(row.rowid);
      if (!remove.exec()) return fail(remove);
      if (!removeText.exec()) return fail(removeText);
    }
  }

  // A store written just now could change again within the same clock tick
  // without its size or time showing it: recorded so it is read once more.
  const bool racy = size != kMissingStore && QDateTime::currentMSecsSinceEpoch() - mtime < kRacyWindowMs;
  QSqlQuery record(db);
  record.prepare(QStringLiteral(
      "INSERT OR REPLACE INTO feeds(id, size, mtime, unread, total, starred) VALUES (?, ?, ?, ?, ?, ?)"));
  record.addBindValue(feedId);
  record.addBindValue(racy ? kRecheck : size);
  record.addBindValue(mtime);
  record.addBindValue(counts.unread);
  record.addBindValue(counts.total);
  record.addBindValue(counts.starred);
  if (!record.exec()) return fail(record);
  if (db.commit()) return true;
  noteError(db.lastError());
  db.rollback();
  return false;
}

FeedCounts ItemIndex::counts(const QString& feedId) {
  FeedCounts counts;
  if (!ensureOpen()) return counts;
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.prepare(QStringLiteral("SELECT unread, total, starred FROM feeds WHERE id = ?"));
  q.addBindValue(feedId);
  if (q.exec() && q.next()) counts = {q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt()};
  return counts;
}

QHash<QString, FeedCounts> ItemIndex::allCounts() {
  QHash<QString, FeedCounts> all;
  if (!ensureOpen()) return all;
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.setForwardOnly(true);
  if (!q.exec(QStringLiteral("SELECT id, unread, total, starred FROM feeds"))) return all;
  while (q.next()) all.insert(q.value(0).toString(), {q.value(1).toInt(), q.value(2).toInt(), q.value(3).toInt()});
  return all;
}

std::vector<ItemHit> ItemIndex::search(const ItemSearch& query) {
  std::vector<ItemHit> hits;
  if (!ensureOpen()) return hits;
  const QString match = matchExpression(query.words, query.prefixLast);
  if (match.isEmpty() && !query.words.isEmpty()) return hits;
  QString sql = QStringLiteral(
      "SELECT i.feed, i.item_id, i.occurrence, t.title, i.datekey, i.unread, i.starred "
      "FROM items i JOIN items_text t ON t.rowid = i.rowid WHERE 1");
  if (!match.isEmpty()) sql += QStringLiteral(" AND items_text MATCH :match");
  if (!query.feedId.isEmpty()) sql += QStringLiteral(" AND i.feed = :feed");
  if (query.starredOnly) sql += QStringLiteral(" AND i.starred = 1");
  sql += QStringLiteral(" ORDER BY i.datekey DESC, i.seq DESC");
  if (query.limit >= 0) sql += QStringLiteral(" LIMIT %1").arg(query.limit);
  // A replaced index is a new connection: the query is made afresh for the retry.
  std::optional<QSqlQuery> q;
  auto run = [&]() {
    q.emplace(QSqlDatabase::database(connection_, false));
    // Read once, front to back: without this Qt keeps every row for seeking back.
    q->setForwardOnly(true);
    q->prepare(sql);
    if (!match.isEmpty()) q->bindValue(QStringLiteral(":match"), match);
    if (!query.feedId.isEmpty()) q->bindValue(QStringLiteral(":feed"), query.feedId);
    return q->exec() || noteError(q->lastError());
  };
  if (!run() && !(recoverFromDamage() && run())) return hits;
  while (q->next()) {
    const qint64 key = q->value(4).toLongLong();
    hits.push_back({q->value(0).toString(), q->value(1).toString(), q->value(2).toInt(), q->value(3).toString(),
                    key > 0 ? QString::number(key) : QString(), q->value(5).toBool(), q->value(6).toBool()});
  }
  return hits;
}

}  // namespace tidewell
