#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// Whether a feed's pages load remote pictures, from the command line.
// pictures set FEED_ID (on | off | default)
// pictures show
int runPictures(AppContext& context, const QStringList& args);

}  // namespace cli
}  // namespace tidewell
