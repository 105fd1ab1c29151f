#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// How much of the item stores is kept, from the command line.
// retention set (FEED_ID | --all) [--keep N] [--days D] [--include-unread] [--default]
// retention show
int runRetention(AppContext& context, const QStringList& args);
// prune [FEED_ID ...]: applies the limits now.
int runPrune(AppContext& context, const QStringList& args);

}  // namespace cli
}  // namespace tidewell
