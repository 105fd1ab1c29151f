#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// Feed retrieval from the command line: the parsers, the feed dialog's
// validation and the item store, with the same rules as the windows.
int runParse(AppContext& context, const QStringList& args);    // parse [--type rss|atom|auto] FILE
int runAddFeed(AppContext& context, const QStringList& args);  // add-feed URL --category NAME [--name TITLE]
int runItems(AppContext& context, const QStringList& args);    // items ID
// download-enclosure FEED_ID ITEM_ID FILE
int runDownloadEnclosure(AppContext& context, const QStringList& args);

}  // namespace cli
}  // namespace tidewell
