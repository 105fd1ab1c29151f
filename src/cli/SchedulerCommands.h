#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// The scheduled check without windows: the same run, log and stores as the
// desktop program's scheduler.
int runCheck(AppContext& context, const QStringList& args);  // check [FEED_ID ...]

}  // namespace cli
}  // namespace tidewell
