#include "core/clsMD5.h"
#include "feeds/ItemStore.h"
#include "support/TempHome.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::TempHome;

// When the checks in this file ran.
const QDateTime kDownload(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC);

FeedItem dated(const QString& title, const QString& day, const QString& month, const QString& year,
               const QString& time) {
  FeedItem item;
  item.title = title;
  item.link = QStringLiteral("http://127.0.0.1/") + title;
  item.id = clsMD5().GetMD5(item.link);
  item.day = day;
  item.month = month;
  item.year = year;
  item.time = time;
  return item;
}

QStringList titles(const FeedItems& items) {
  QStringList out;
  for (const FeedItem& item : items) out << item.title;
  return out;
}

// One item dated in the far future must not stop every later item.
TEST(FutureDates, CountAsTheDownloadTimeForTheLatestId) {
  TempHome home;
  const ItemStore store(home.paths().itemStore(QStringLiteral("F")));
  const FeedItem bogus = dated(QStringLiteral("bogus"), "31", "Dec", "9999", "23:59:59");
  const FeedItem morning = dated(QStringLiteral("morning"), "01", "May", "2024", "09:00:00");
  // Within a day of the download: a feed a few time zones ahead is not the future.
  const FeedItem ahead = dated(QStringLiteral("ahead"), "01", "May", "2024", "20:00:00");

  MergeResult merged = store.MergeNewItems({bogus, morning}, QString(), nullptr, kDownload);
  EXPECT_EQ(titles(merged.addedItems), (QStringList{"morning", "bogus"}));
  EXPECT_EQ(store.ReadLatestId().toStdString(), "20240501120000");
  // The bogus item keeps its own date.
  EXPECT_EQ(merged.addedItems.back().year, QStringLiteral("9999"));
  merged = store.MergeNewItems({ahead, bogus, morning}, store.ReadLatestId(), nullptr, kDownload);
  EXPECT_EQ(titles(merged.addedItems), QStringList{"ahead"});
  EXPECT_EQ(store.ReadLatestId().toStdString(), "20240501200000");

  // The next day a genuine item arrives and the bogus one is still listed.
  const FeedItem next = dated(QStringLiteral("next"), "02", "May", "2024", "08:00:00");
  merged = store.MergeNewItems({next, bogus, ahead, morning}, store.ReadLatestId(), nullptr, kDownload.addDays(1));
  EXPECT_EQ(titles(merged.addedItems), QStringList{"next"});  // and the bogus one not a second time
  // Gone from the feed, it leaves nothing behind that stops later items.
  const FeedItem later = dated(QStringLiteral("later"), "03", "May", "2024", "08:00:00");
  merged = store.MergeNewItems({later, next}, store.ReadLatestId(), nullptr, kDownload.addDays(2));
  EXPECT_EQ(titles(merged.addedItems), QStringList{"later"});
}

// A future item that arrives with, or after, an item dated within the grace
// day is stored too, once.
TEST(FutureDates, AFutureItemBehindAnItemOfTheGraceDayIsStored) {
  TempHome home;
  const ItemStore store(home.paths().itemStore(QStringLiteral("F")));
  const FeedItem ahead = dated(QStringLiteral("ahead"), "01", "May", "2024", "20:00:00");
  const FeedItem bogus = dated(QStringLiteral("bogus"), "31", "Dec", "9999", "23:59:59");
  const FeedItem later = dated(QStringLiteral("later"), "01", "Jan", "3000", "00:00:00");
  MergeResult merged = store.MergeNewItems({bogus, ahead}, QString(), nullptr, kDownload);
  EXPECT_EQ(titles(merged.addedItems), (QStringList{"ahead", "bogus"}));
  EXPECT_EQ(store.ReadLatestId().toStdString(), "20240501200000");
  merged = store.MergeNewItems({later, bogus, ahead}, store.ReadLatestId(), nullptr, kDownload);
  EXPECT_EQ(titles(merged.addedItems), QStringList{"later"});
  merged = store.MergeNewItems({later, bogus, ahead}, store.ReadLatestId(), nullptr, kDownload.addSecs(60));
  EXPECT_TRUE(merged.addedItems.empty());
}

// A store an earlier version stopped at 99991231235959 takes new items again,
// without storing the ones it has a second time.
TEST(FutureDates, AStoppedStoreHeals) {
  TempHome home;
  const ItemStore store(home.paths().itemStore(QStringLiteral("F")));
  const FeedItem old = dated(QStringLiteral("old"), "30", "Apr", "2024", "09:00:00");
  store.MergeNewItems({old}, QString(), nullptr, kDownload);
  store.UpdateLatestMarker(QStringLiteral("99991231235959"));

  const FeedItem fresh = dated(QStringLiteral("fresh"), "01", "May", "2024", "11:00:00");
  const MergeResult merged = store.MergeNewItems({fresh, old}, store.ReadLatestId(), nullptr, kDownload);
  EXPECT_EQ(titles(merged.addedItems), QStringList{"fresh"});
  EXPECT_EQ(store.ReadLatestId().toStdString(), "20240501110000");
}

}  // namespace
}  // namespace tidewell
