#pragma once

#include <QString>

namespace tidewell {

struct FeedItem;

// The date fields of an item: all four filled, or all four empty.
struct ItemDate {
  QString day;    // "07"
  QString month;  // English abbreviation, "Sep"
  QString year;   // "2002"
  QString time;   // "00:00:01", as written in the feed (no zone conversion)

  bool empty() const { return day.isEmpty(); }
  bool operator==(const ItemDate&) const = default;
};

// An RSS pubDate: "Sat, 07 Sep 2002 00:00:01 GMT" and its relatives (without
// weekday, one-digit day, two-digit year, time without seconds, any or no
// zone). Anything unreadable gives empty fields.
ItemDate SplitRssDate(const QString& text);
// An ATOM published/updated: "2008-01-15T10:20:30Z", with fractional seconds
// or a numeric offset; the time is kept as written.
ItemDate SplitAtomDate(const QString& text);
void ApplyDate(const ItemDate& date, FeedItem& item);

// year + two-digit month number + day + time without ":" ("20020907000001");
// "" when any of the four fields is empty or the month is unknown.
QString DateKey(const FeedItem& item);
QString DateKey(const QString& day, const QString& month, const QString& year, const QString& time);

// The new-item rule: with a blank latest id every item is new; otherwise only
// a key strictly greater (as a number) than it. A new item's key becomes the
// latest id. A key that is not a number is never new; a latest id that is not
// a number (a damaged store) counts as blank.
bool IsNewerThanLatest(const QString& dateKey, QString& latestId);

}  // namespace tidewell
