#pragma once

#include <QString>

#include <vector>

namespace tidewell {

// One parsed feed item. Every field is text and empty when the feed does not
// supply it. The date lives in four fields: day ("07"), month (English
// abbreviation, "Sep"), year ("2002") and time ("00:00:01"); either all four
// are filled with a shape that makes a valid date key, or all four are empty.
// id is the MD5 of link, empty when the item has no link.
//
// Beside those nine fields: the article's body (content:encoded, else the
// description in RSS; content, else summary in ATOM; XHTML with its markup)
// with relative addresses resolved, and the enclosure's MIME type and length
// in bytes as the feed states them.
struct FeedItem {
  QString title;
  QString link;
  QString day;
  QString month;
  QString year;
  QString time;
  QString description;
  QString media;
  QString id;
  QString content;
  QString mediaType;
  QString mediaLength;

  // What a reader is shown: the body, or the description of an item stored
  // before bodies were kept.
  const QString& body() const { return content.isEmpty() ? description : content; }
  bool hasDate() const { return !day.isEmpty() && !month.isEmpty() && !year.isEmpty() && !time.isEmpty(); }
  bool operator==(const FeedItem&) const = default;
};

// Parsed items in document order (index 0 is the first item of the feed).
using FeedItems = std::vector<FeedItem>;

}  // namespace tidewell
