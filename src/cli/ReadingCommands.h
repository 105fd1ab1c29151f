#pragma once

#include "cli/CliCommand.h"

#include <vector>

namespace tidewell {

class AppPaths;
class ItemIndex;
class UserMessages;

namespace cli {

// What everyday reading from the command line touches: feeds.fdb, the item
// stores and the item index. Nothing more, so that the quick program
// (tidewell-cli's front) answers these commands without loading the network,
// mail and keyring libraries.
struct ReadingData {
  AppPaths& paths;
  UserMessages& messages;
  ItemIndex& itemIndex;
};

int runUnread(ReadingData& data, const QStringList& args);    // unread [--json]
int runMarkRead(ReadingData& data, const QStringList& args);  // mark-read (FEED_ID | --category NAME | --all)
int runStar(ReadingData& data, const QStringList& args);      // star [--off] FEED_ID ITEM_ID
int runSearch(ReadingData& data, const QStringList& args);    // search [--feed ID] [--starred] [--limit N] WORD...

// The reading commands in the order --help lists them (after the others).
const std::vector<CliCommand>& readingCommands();

}  // namespace cli
}  // namespace tidewell
