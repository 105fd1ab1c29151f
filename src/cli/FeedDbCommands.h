#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// The feed database from the command line, with the same rules and messages
// as the category tree and the category dialog.
int runList(AppContext& context, const QStringList& args);            // list [--json]
int runAddCategory(AppContext& context, const QStringList& args);     // add-category NAME
int runRenameCategory(AppContext& context, const QStringList& args);  // rename-category OLD NEW
int runDeleteCategory(AppContext& context, const QStringList& args);  // delete-category NAME
int runMoveFeed(AppContext& context, const QStringList& args);        // move-feed [--yes] ID CATEGORY
int runDeleteFeed(AppContext& context, const QStringList& args);      // delete-feed ID

}  // namespace cli
}  // namespace tidewell
