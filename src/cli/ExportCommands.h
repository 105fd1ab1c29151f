#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// export FEED_ID ITEM_ID (--html FILE | --text FILE): the item menu's export,
// without a window, through the same document builder.
int runExport(AppContext& context, const QStringList& args);

}  // namespace cli
}  // namespace tidewell
