#include "core/clsMD5.h"
#include "feeds/FeedReading.h"
#include "feeds/ItemIndex.h"
#include "feeds/ItemStore.h"
#include "feeds/SearchText.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::ScriptedMessages;
using test::TempHome;

const QString kHarbour = QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001");
const QString kCoast = QStringLiteral("AAAAAAAA-0000-0000-0000-000000000002");

FeedItem item(const QString& title, const QString& body, const QString& day, const QString& time = "10:00:00") {
  FeedItem it;
  it.title = title;
  it.description = body;
  it.link = QStringLiteral("http://example.org/") + title;
  it.id = clsMD5().GetMD5(it.link);
  it.day = day;
  it.month = QStringLiteral("Mar");
  it.year = QStringLiteral("2026");
  it.time = time;
  return it;
}

// Stores items as a check would: the parsed list is newest first.
void store(const TempHome& home, const QString& feed, const FeedItems& newestFirst) {
  const ItemStore s(home.paths().itemStore(feed));
  s.MergeNewItems(newestFirst, s.ReadLatestId());
}

QStringList titles(const std::vector<ItemHit>& hits) {
  QStringList out;
  for (const ItemHit& hit : hits) out << hit.title;
  return out;
}

ItemSearch words(const QString& text) {
  ItemSearch query;
  query.words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  return query;
}

class ItemIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store(home, kHarbour,
          {item(QStringLiteral("Tide tables"), QStringLiteral("<p>Spring <b>tides</b> at the <em>har</em>bour</p>"),
                QStringLiteral("03")),
           item(QStringLiteral("Café opens"), QStringLiteral("A new caf&eacute; by the quay"), QStringLiteral("02")),
           item(QStringLiteral("Ferry notice"), QStringLiteral("<strong>Ferry</strong> runs late"),
                QStringLiteral("01"))});
    store(home, kCoast,
          {item(QStringLiteral("Storm warning"), QStringLiteral("Gale along the coast; the ferry stays in harbour"),
                QStringLiteral("04"))});
  }
  FeedCounts countsOf(ItemIndex& index, const QString& feed) {
    index.sync({kHarbour, kCoast});
    return index.counts(feed);
  }

  TempHome home;
  ScriptedMessages messages;
};

TEST_F(ItemIndexTest, CountsFollowChangesMadeBehindItsBack) {
  {
    ItemIndex index(home.paths());
    EXPECT_EQ(index.open(), ItemIndex::OpenState::Created);
    EXPECT_EQ(countsOf(index, kHarbour), (FeedCounts{3, 3, 0}));
    EXPECT_EQ(countsOf(index, kCoast), (FeedCounts{1, 1, 0}));
  }
  // Another program marks one item read (the file keeps its size: "0" -> "1"),
  // adds one and stars one, all without the index.
  const ItemStore harbour(home.paths().itemStore(kHarbour));
  ASSERT_TRUE(
      harbour.ItemOperation(QStringLiteral("http://example.org/Tide tables"), QStringLiteral("read"), false, messages));
  store(home, kHarbour, {item(QStringLiteral("Regatta"), QString(), QStringLiteral("05"))});
  ASSERT_TRUE(
      harbour.ItemOperation(QStringLiteral("http://example.org/Regatta"), QStringLiteral("star"), false, messages));
  ItemIndex index(home.paths());
  EXPECT_EQ(index.open(), ItemIndex::OpenState::Opened);
  EXPECT_EQ(countsOf(index, kHarbour), (FeedCounts{3, 4, 1}));
  EXPECT_EQ(titles(index.search(words(QStringLiteral("regatta")))), QStringList{QStringLiteral("Regatta")});

  // A same-size change straight after the index read the store.
  ASSERT_TRUE(harbour.ItemOperation(QStringLiteral("http://example.org/Ferry notice"), QStringLiteral("read"), false,
                                    messages));
  EXPECT_EQ(countsOf(index, kHarbour), (FeedCounts{2, 4, 1}));

  // A deleted item and a deleted store.
  ASSERT_TRUE(
      harbour.ItemOperation(QStringLiteral("http://example.org/Regatta"), QStringLiteral("del"), false, messages));
  EXPECT_EQ(countsOf(index, kHarbour), (FeedCounts{1, 3, 0}));
  EXPECT_TRUE(index.search(words(QStringLiteral("regatta"))).empty());
  QFile::remove(home.paths().itemStore(kCoast));
  EXPECT_EQ(countsOf(index, kCoast), (FeedCounts{}));
  // A feed no longer subscribed is forgotten.
  index.sync({kHarbour});
  EXPECT_FALSE(index.allCounts().contains(kCoast));
  EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('\n')).toStdString();
}

// The program dies after saving a store and before telling the index: the
// next start sees the store's new size and time and reads it again.
TEST_F(ItemIndexTest, CrashBetweenStoreSaveAndIndexUpdate) {
  {
    ItemIndex index(home.paths());
    index.sync({kHarbour, kCoast});
    FeedReading reading(home.paths(), index, messages);
    ASSERT_EQ(reading.MarkAllRead({kHarbour}), 3);
    EXPECT_EQ(index.counts(kHarbour).unread, 0);
    // Saved, but the process "stops" before the index hears of it.
    ItemStore(home.paths().itemStore(kHarbour)).SetAllStatus(false);
    store(home, kCoast, {item(QStringLiteral("Tsunami drill"), QString(), QStringLiteral("09"))});
    EXPECT_EQ(index.counts(kHarbour).unread, 0);  // not refreshed yet
  }
  ItemIndex index(home.paths());
  index.sync({kHarbour, kCoast});
  EXPECT_EQ(index.counts(kHarbour), (FeedCounts{3, 3, 0}));
  EXPECT_EQ(index.counts(kCoast), (FeedCounts{2, 2, 0}));
  EXPECT_EQ(titles(index.search(words(QStringLiteral("drill")))), QStringList{QStringLiteral("Tsunami drill")});
}

// The index is derived: garbage, a truncated file or a missing one are built
// again from the stores, and the stores are never touched.
TEST_F(ItemIndexTest, DamagedOrMissingIndexIsRebuilt) {
  const QByteArray before = home.read(QStringLiteral("Data/") + kHarbour + QStringLiteral(".fdb"));
  QString path;
  {
    ItemIndex index(home.paths());
    index.sync({kHarbour, kCoast});
    path = index.path();
  }
  ASSERT_TRUE(QFileInfo::exists(path));
  const QByteArray good = home.read(ItemIndex::fileName());
  struct Damage {
    const char* name;
    QByteArray bytes;
    ItemIndex::OpenState expected;
  };
  const Damage cases[] = {
      {"garbage", QByteArray(8192, 'x'), ItemIndex::OpenState::Replaced},
      {"truncated", good.left(good.size() / 3), ItemIndex::OpenState::Replaced},
      {"empty", QByteArray(), ItemIndex::OpenState::Replaced},
      {"missing", QByteArray(), ItemIndex::OpenState::Created},
  };
  for (const Damage& damage : cases) {
    SCOPED_TRACE(damage.name);
    for (const char* suffix : {"-wal", "-shm"}) QFile::remove(path + QLatin1String(suffix));
    if (damage.expected == ItemIndex::OpenState::Created) {
      QFile::remove(path);
    } else {
      home.write(ItemIndex::fileName(), damage.bytes);
    }
    ItemIndex index(home.paths());
    EXPECT_EQ(index.open(), damage.expected);
    EXPECT_EQ(countsOf(index, kHarbour), (FeedCounts{3, 3, 0}));
    EXPECT_EQ(titles(index.search(words(QStringLiteral("ferry")))),
              (QStringList{QStringLiteral("Storm warning"), QStringLiteral("Ferry notice")}));
  }
  EXPECT_EQ(home.read(QStringLiteral("Data/") + kHarbour + QStringLiteral(".fdb")), before);
}

TEST_F(ItemIndexTest, SearchFoldsCaseAndAccentsAndIgnoresMarkup) {
  ItemIndex index(home.paths());
  index.sync({kHarbour, kCoast});
  struct Case {
    const char* query;
    QStringList expected;  // newest first
  };
  const Case cases[] = {
      {"FERRY", {QStringLiteral("Storm warning"), QStringLiteral("Ferry notice")}},
      {"cafe", {QStringLiteral("Café opens")}},       // accent in the title
      {"CAFÉ quay", {QStringLiteral("Café opens")}},  // a reference in the body, every word
      {"harbour", {QStringLiteral("Storm warning"), QStringLiteral("Tide tables")}},  // "<em>har</em>bour"
      {"ferry harbour", {QStringLiteral("Storm warning")}},
      {"strong", {}},  // a tag name is not text
      {"ferry drill", {}},
      {"\"  ***", {}},  // nothing searchable
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    EXPECT_EQ(titles(index.search(words(QString::fromUtf8(c.query)))), c.expected);
  }
  ItemSearch typing = words(QStringLiteral("sto"));
  EXPECT_TRUE(index.search(typing).empty());
  typing.prefixLast = true;
  EXPECT_EQ(titles(index.search(typing)), QStringList{QStringLiteral("Storm warning")});

  ItemSearch oneFeed = words(QStringLiteral("ferry"));
  oneFeed.feedId = kHarbour;
  const std::vector<ItemHit> hits = index.search(oneFeed);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].itemId, clsMD5().GetMD5(QStringLiteral("http://example.org/Ferry notice")));
  EXPECT_EQ(hits[0].dateKey, QStringLiteral("20260301100000"));
  EXPECT_TRUE(hits[0].unread);
  ItemSearch limited = words(QStringLiteral("ferry"));
  limited.limit = 1;
  EXPECT_EQ(titles(index.search(limited)), QStringList{QStringLiteral("Storm warning")});
}

TEST_F(ItemIndexTest, StarIsTheThirdAttributeAndOnlyWhenSet) {
  ItemIndex index(home.paths());
  index.sync({kHarbour, kCoast});
  FeedReading reading(home.paths(), index, messages);
  const ItemRef cafe = ItemRef::fromLink(QStringLiteral("http://example.org/Café opens"));
  const QString file = QStringLiteral("Data/") + kHarbour + QStringLiteral(".fdb");
  ASSERT_TRUE(reading.SetStarred(kHarbour, cafe, true));
  EXPECT_TRUE(home.read(file).contains("<item id=\"" + cafe.id.toUtf8() + "\" status=\"0\" starred=\"1\"><title>"));
  ASSERT_TRUE(reading.SetRead(kHarbour, cafe, true));
  EXPECT_TRUE(home.read(file).contains("<item id=\"" + cafe.id.toUtf8() + "\" status=\"1\" starred=\"1\">"));
  EXPECT_TRUE(ItemStore(home.paths().itemStore(kHarbour)).LoadStoredItems(messages)->items[1].starred);

  ItemSearch starred;
  starred.starredOnly = true;
  EXPECT_EQ(titles(index.search(starred)), QStringList{QStringLiteral("Café opens")});
  EXPECT_EQ(index.counts(kHarbour), (FeedCounts{2, 3, 1}));

  ASSERT_TRUE(reading.SetStarred(kHarbour, cafe, false));
  EXPECT_TRUE(home.read(file).contains("<item id=\"" + cafe.id.toUtf8() + "\" status=\"1\"><title>"));
  EXPECT_FALSE(home.read(file).contains("starred"));
  EXPECT_TRUE(index.search(starred).empty());
  // An item that is not there.
  EXPECT_FALSE(reading.SetStarred(kHarbour, ItemRef{QStringLiteral("nope"), 0}, true));
}

TEST(SearchText, DropsMarkupKeepsWords) {
  struct Case {
    const char* html;
    const char* text;
  };
  const Case cases[] = {
      {"<p>one</p><p>two</p>", " one  two "},
      {"<b>har</b>bour", "harbour"},
      {"a<br/>b", "a b"},
      {"caf&eacute; &amp; &#233;&#xE9; &bogus; &", "café & éé &bogus; &"},
      {"x<script>var a = '<p>';</script>y", "x y"},
      {"<style>p { color: red }</style>z", " z"},
      {"unclosed <a href=", "unclosed "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    EXPECT_EQ(SearchableText(QString::fromUtf8(c.html)), QString::fromUtf8(c.text));
  }
}

}  // namespace
}  // namespace tidewell
