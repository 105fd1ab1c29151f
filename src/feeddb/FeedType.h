#pragma once

#include <QtGlobal>

namespace tidewell {

// The kind of document a feed URL serves, as stored in the `type` attribute.
// Files written elsewhere may hold other 16-bit values; they are carried as
// they are (the tree shows them with image type + 3).
enum class FeedType : qint16 {
  RSS = 0,      // rss or rdf document
  ATOM = 1,     // feed document
  Podcast = 2,  // rss whose channel has an itunes:summary
};

inline constexpr qint16 feedTypeCode(FeedType type) { return static_cast<qint16>(type); }
inline constexpr FeedType feedTypeFromCode(qint16 code) { return static_cast<FeedType>(code); }
// The feed's picture in the category tree's image list.
inline constexpr int feedTypeImage(FeedType type) { return feedTypeCode(type) + 3; }
// The feed type a tree picture stands for (the inverse of feedTypeImage).
inline constexpr FeedType feedTypeOfImage(int image) { return feedTypeFromCode(static_cast<qint16>(image - 3)); }

}  // namespace tidewell
