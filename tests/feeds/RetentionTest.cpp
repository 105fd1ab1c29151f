#include "core/clsMD5.h"
#include "feeds/ItemStore.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

// count items, newest first as feeds list them, item i dated i hours after
// 1 Dec 2026 00:00.
FeedItems feed(int count) {
  FeedItems items;
  const QDateTime start(QDate(2026, 12, 1), QTime(0, 0));
  for (int i = count - 1; i >= 0; --i) {
    const QDateTime at = start.addSecs(i * 3600);
    FeedItem item;
    item.title = QStringLiteral("Item %1").arg(i);
    item.link = QStringLiteral("http://tide.example/%1").arg(i);
    item.id = clsMD5().GetMD5(item.link);
    item.day = at.toString(QStringLiteral("dd"));
    item.month = at.toString(QStringLiteral("MMM"));  // the C locale's English abbreviation
    item.year = at.toString(QStringLiteral("yyyy"));
    item.time = at.toString(QStringLiteral("HH:mm:ss"));
    items.push_back(item);
  }
  return items;
}

class RetentionTest : public ::testing::Test {
 protected:
  QString path() const { return home.file(QStringLiteral("Data/feed.fdb")); }
  QStringList titles() const {
    QStringList out;
    const std::optional<StoredItems> loaded = ItemStore(path()).LoadStoredItems(messages);
    if (loaded) {
      for (const StoredItem& item : loaded->items) out << item.title;
    }
    return out;
  }
  // Marks every stored item read, and stars the items listed, as the list's
  // star command writes it: starred="1" as the third attribute.
  void markAllReadAndStar(const QStringList& starredTitles) const {
    const std::optional<StoredItems> stored = ItemStore(path()).LoadStoredItems(messages);
    for (const StoredItem& item : stored->items) {
      ItemStore(path()).ItemOperation(item.ref(), QStringLiteral("read"), false, messages);
    }
    QByteArray bytes = home.read(QStringLiteral("Data/feed.fdb"));
    for (const QString& title : starredTitles) {
      const QByteArray link = "http://tide.example/" + title.section(QLatin1Char(' '), 1).toUtf8();
      const QByteArray id = clsMD5().GetMD5(QString::fromUtf8(link)).toUtf8();
      bytes.replace("id=\"" + id + "\" status=\"1\"", "id=\"" + id + "\" status=\"1\" starred=\"1\"");
    }
    home.write(QStringLiteral("Data/feed.fdb"), bytes);
  }

  test::TempHome home;
  mutable test::ScriptedMessages messages;
  const QDateTime now{QDate(2026, 12, 20), QTime(12, 0)};
};

TEST_F(RetentionTest, KeepNewestSparesStarredAndRemovedItemsStayGone) {
  const FeedItems items = feed(300);
  ASSERT_EQ(ItemStore(path()).MergeNewItems(items, QString(), nullptr, now).added, 300);
  markAllReadAndStar({QStringLiteral("Item 3")});
  ASSERT_TRUE(ItemStore(path()).WriteRetention(RetentionPolicy{100, 0, false}));

  EXPECT_EQ(ItemStore(path()).Prune(now), 199);
  const QStringList left = titles();
  ASSERT_EQ(left.size(), 101);
  EXPECT_EQ(left.first(), QStringLiteral("Item 3"));  // the starred old one
  EXPECT_EQ(left[1], QStringLiteral("Item 200"));
  EXPECT_EQ(left.last(), QStringLiteral("Item 299"));
  EXPECT_EQ(ItemStore(path()).Prune(now), 0);  // nothing more to do, nothing saved

  // The next check sees the same 300 items: the latest id keeps the removed ones out.
  const MergeResult again = ItemStore(path()).MergeNewItems(items, ItemStore(path()).ReadLatestId(), nullptr, now);
  EXPECT_EQ(again.added, 0);
  EXPECT_EQ(titles().size(), 101);
  EXPECT_TRUE(messages.empty());
}

TEST_F(RetentionTest, UnreadItemsAreRemovedOnlyWhenAsked) {
  ASSERT_EQ(ItemStore(path()).MergeNewItems(feed(300), QString(), nullptr, now).added, 300);
  const QByteArray before = home.read(QStringLiteral("Data/feed.fdb"));
  // The default as the settings give it; the feed has no choice of its own.
  EXPECT_EQ(ItemStore(path(), RetentionPolicy{100, 0, false}).Prune(now), 0);
  EXPECT_EQ(ItemStore(path(), RetentionPolicy{0, 5, false}).Prune(now), 0);
  EXPECT_EQ(home.read(QStringLiteral("Data/feed.fdb")), before);
  EXPECT_EQ(ItemStore(path(), RetentionPolicy{100, 0, true}).Prune(now), 200);
  EXPECT_EQ(titles().size(), 100);
  // Nothing is removed by the default default.
  EXPECT_EQ(ItemStore(path()).Prune(now), 0);
}

TEST_F(RetentionTest, AgeLimitKeepsUndatedItems) {
  FeedItems items = feed(48);  // 1 Dec 00:00 .. 2 Dec 23:00
  FeedItem undated;
  undated.title = QStringLiteral("Undated");
  undated.link = QStringLiteral("http://tide.example/undated");
  undated.id = clsMD5().GetMD5(undated.link);
  ASSERT_EQ(ItemStore(path()).MergeNewItems({undated}, QString(), nullptr, now).added, 1);
  ASSERT_EQ(ItemStore(path()).MergeNewItems(items, QString(), nullptr, now).added, 48);
  // 20 Dec 12:00 minus 18 days is 2 Dec 12:00: the 12 items after it stay.
  EXPECT_EQ(ItemStore(path(), RetentionPolicy{0, 18, true}).Prune(now), 36);
  const QStringList left = titles();
  ASSERT_EQ(left.size(), 13);
  EXPECT_EQ(left.first(), QStringLiteral("Undated"));
  EXPECT_EQ(left[1], QStringLiteral("Item 36"));
  // Both limits: whatever either one removes goes.
  EXPECT_EQ(ItemStore(path(), RetentionPolicy{5, 18, true}).Prune(now), 8);
  EXPECT_EQ(titles().size(), 5);
}

TEST_F(RetentionTest, MergeAppliesTheFeedsOwnChoiceOverTheDefault) {
  const ItemStore withDefault(path(), RetentionPolicy{2, 0, true});
  EXPECT_FALSE(withDefault.ReadRetention().has_value());
  const FeedItems items = feed(10);
  MergeResult merged = withDefault.MergeNewItems(FeedItems(items.begin() + 5, items.end()), QString(), nullptr, now);
  EXPECT_EQ(merged.added, 5);
  EXPECT_EQ(merged.removed, 3);
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("Item 3"), QStringLiteral("Item 4")}));

  // The feed's own choice wins; going back to the default removes it from the store.
  ASSERT_TRUE(withDefault.WriteRetention(RetentionPolicy{0, 0, false}));
  EXPECT_EQ(withDefault.ReadRetention(), (RetentionPolicy{0, 0, false}));
  merged =
      withDefault.MergeNewItems(FeedItems(items.begin(), items.begin() + 5), withDefault.ReadLatestId(), nullptr, now);
  EXPECT_EQ(merged.added, 5);
  EXPECT_EQ(merged.removed, 0);
  EXPECT_EQ(titles().size(), 7);
  ASSERT_TRUE(withDefault.WriteRetention(std::nullopt));
  EXPECT_FALSE(home.read(QStringLiteral("Data/feed.fdb")).contains("<retention"));
  EXPECT_EQ(withDefault.Prune(now), 5);
  // A store that does not exist yet takes a choice; a damaged one refuses it.
  const ItemStore fresh(home.file(QStringLiteral("Data/new.fdb")));
  ASSERT_TRUE(fresh.WriteRetention(RetentionPolicy{7, 1, true}));
  EXPECT_EQ(fresh.ReadRetention(), (RetentionPolicy{7, 1, true}));
  EXPECT_TRUE(fresh.LoadStoredItems(messages).has_value());
  home.write(QStringLiteral("Data/bad.fdb"), "<data><items>");
  EXPECT_FALSE(ItemStore(home.file(QStringLiteral("Data/bad.fdb"))).WriteRetention(RetentionPolicy{1, 0, false}));
  EXPECT_EQ(ItemStore(home.file(QStringLiteral("Data/bad.fdb"))).Prune(now), -1);
}

}  // namespace
}  // namespace tidewell
