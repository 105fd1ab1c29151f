#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// Everyday reading from the command line, through the item index.
int runUnread(AppContext& context, const QStringList& args);    // unread [--json]
int runMarkRead(AppContext& context, const QStringList& args);  // mark-read (FEED_ID | --category NAME | --all)
int runStar(AppContext& context, const QStringList& args);      // star [--off] FEED_ID ITEM_ID
int runSearch(AppContext& context, const QStringList& args);    // search [--feed ID] [--starred] [--limit N] WORD...

}  // namespace cli
}  // namespace tidewell
