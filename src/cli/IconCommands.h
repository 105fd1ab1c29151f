#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// The feeds' site icons from the command line.
// icons fetch [FEED_ID...]: fetches (again) the icon of every feed, or of the
// given ones, and prints a JSON line per feed: the picture's address and the
// stored file, or the reason there is none.
int runIcons(AppContext& context, const QStringList& args);

}  // namespace cli
}  // namespace tidewell
