#include "feeds/FeedDates.h"
#include "feeds/FeedItem.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

struct DateCase {
  const char* format;  // "rss" or "atom"
  const char* text;
  const char* day;
  const char* month;
  const char* year;
  const char* time;
};

// Every shape ends in four complete fields that make a 14-digit key, or in
// four empty ones.
const DateCase kDateCases[] = {
    // The two shapes the feeds are expected to have.
    {"rss", "Sat, 07 Sep 2002 00:00:01 GMT", "07", "Sep", "2002", "00:00:01"},
    {"atom", "2008-01-15T10:20:30Z", "15", "Jan", "2008", "10:20:30"},
    // RSS relatives.
    {"rss", "07 Sep 2002 00:00:01 GMT", "07", "Sep", "2002", "00:00:01"},
    {"rss", "Sat, 7 Sep 2002 00:00:01 GMT", "07", "Sep", "2002", "00:00:01"},
    {"rss", "Sat, 07 Sep 02 00:00:01 GMT", "07", "Sep", "2002", "00:00:01"},
    {"rss", "Tue, 07 Sep 99 23:59:59 GMT", "07", "Sep", "1999", "23:59:59"},
    {"rss", "Sat, 07 Sep 2002 13:05 GMT", "07", "Sep", "2002", "13:05:00"},
    {"rss", "Sat, 07 Sep 2002 00:00:01 +0200", "07", "Sep", "2002", "00:00:01"},
    {"rss", "Sat, 07 Sep 2002 00:00:01 EST", "07", "Sep", "2002", "00:00:01"},
    {"rss", "Sat, 07 Sep 2002 00:00:01", "07", "Sep", "2002", "00:00:01"},
    {"rss", "  Sat,07 sep 2002 9:00:01 -0500 ", "07", "Sep", "2002", "09:00:01"},
    {"rss", "Saturday, 07 September 2002 00:00:01 GMT", "07", "Sep", "2002", "00:00:01"},
    {"rss", "Sat, 07 Sep 2002", "07", "Sep", "2002", "00:00:00"},
    {"rss", "2002-09-07T00:00:01Z", "07", "Sep", "2002", "00:00:01"},
    // RSS that cannot be read: all empty.
    {"rss", "", "", "", "", ""},
    {"rss", "yesterday", "", "", "", ""},
    {"rss", "Sat, 07 Foo 2002 00:00:01 GMT", "", "", "", ""},
    {"rss", "Sat, 32 Sep 2002 00:00:01 GMT", "", "", "", ""},
    {"rss", "Sat, 07 Sep 2002 25:00:01 GMT", "", "", "", ""},
    {"rss", "Sat, 07 Sep 2002 00:00:01 GMT trailing words", "", "", "", ""},
    {"rss", "00:00:01", "", "", "", ""},
    // ATOM relatives.
    {"atom", "2008-01-15T10:20:30.123Z", "15", "Jan", "2008", "10:20:30"},
    {"atom", "2008-01-15T10:20:30+01:00", "15", "Jan", "2008", "10:20:30"},
    {"atom", "2008-12-05T10:20:30-0500", "05", "Dec", "2008", "10:20:30"},
    {"atom", "2008-01-15t10:20:30z", "15", "Jan", "2008", "10:20:30"},
    {"atom", "2008-01-15 10:20:30", "15", "Jan", "2008", "10:20:30"},
    {"atom", "2008-01-15T10:20Z", "15", "Jan", "2008", "10:20:00"},
    {"atom", "2008-01-15", "15", "Jan", "2008", "00:00:00"},
    // ATOM that cannot be read.
    {"atom", "", "", "", "", ""},
    {"atom", "15.01.2008 10:20", "", "", "", ""},
    {"atom", "2008-13-15T10:20:30Z", "", "", "", ""},
    {"atom", "2008-01-15T10:20:30+ZZ", "", "", "", ""},
    {"atom", "2008-01-15Tnoon", "", "", "", ""},
};

TEST(FeedDates, ShapesGiveCompleteOrEmptyFields) {
  for (const DateCase& c : kDateCases) {
    const QString text = QString::fromUtf8(c.text);
    const ItemDate date = QByteArray(c.format) == "rss" ? SplitRssDate(text) : SplitAtomDate(text);
    SCOPED_TRACE(std::string(c.format) + ": " + c.text);
    EXPECT_EQ(date.day, QString::fromUtf8(c.day));
    EXPECT_EQ(date.month, QString::fromUtf8(c.month));
    EXPECT_EQ(date.year, QString::fromUtf8(c.year));
    EXPECT_EQ(date.time, QString::fromUtf8(c.time));
    FeedItem item;
    ApplyDate(date, item);
    const QString key = DateKey(item);
    if (date.empty()) {
      EXPECT_TRUE(key.isEmpty());
    } else {
      EXPECT_EQ(key.size(), 14) << key.toStdString();
    }
  }
}

TEST(FeedDates, DateKeyJoinsYearMonthNumberDayAndTime) {
  EXPECT_EQ(DateKey(QStringLiteral("07"), QStringLiteral("Sep"), QStringLiteral("2002"), QStringLiteral("00:00:01")),
            QStringLiteral("20020907000001"));
  EXPECT_EQ(DateKey(QStringLiteral("04"), QStringLiteral("dec"), QStringLiteral("2026"), QStringLiteral("09:16:03")),
            QStringLiteral("20261204091603"));
  EXPECT_EQ(
      DateKey(QStringLiteral("04"), QStringLiteral("December"), QStringLiteral("2026"), QStringLiteral("09:16:03")),
      QStringLiteral("20261204091603"));
  // Any empty field, or a month that is no month, gives no key.
  EXPECT_EQ(DateKey(QString(), QStringLiteral("Sep"), QStringLiteral("2002"), QStringLiteral("00:00:01")), QString());
  EXPECT_EQ(DateKey(QStringLiteral("07"), QStringLiteral("Foo"), QStringLiteral("2002"), QStringLiteral("00:00:01")),
            QString());
}

TEST(FeedDates, NewerThanLatestRaisesTheLatestId) {
  struct Case {
    const char* latest;
    const char* key;
    bool isNew;
    const char* latestAfter;
  };
  const Case cases[] = {
      {"", "20020907000001", true, "20020907000001"},  // blank latest: new
      {"", "", true, ""},                              // new, latest stays blank
      {"20020907000001", "20020907000002", true, "20020907000002"},
      {"20020907000001", "20020907000001", false, "20020907000001"},  // the same second is not new
      {"20020907000001", "20020906235959", false, "20020907000001"},
      {"20020907000001", "", false, "20020907000001"},  // no key is never new
      {"20020907000001", "2002090700000x", false, "20020907000001"},
      {"  20020907000001 ", "020020907000002", true, "020020907000002"},  // compared as numbers
      {"damaged", "20020907000001", true, "20020907000001"},              // an unreadable latest id counts as blank
  };
  for (const Case& c : cases) {
    QString latest = QString::fromUtf8(c.latest);
    SCOPED_TRACE(std::string(c.latest) + " vs " + c.key);
    EXPECT_EQ(IsNewerThanLatest(QString::fromUtf8(c.key), latest), c.isNew);
    EXPECT_EQ(latest.trimmed(), QString::fromUtf8(c.latestAfter));
  }
}

}  // namespace
}  // namespace tidewell
