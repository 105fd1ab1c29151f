#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// Subscription lists in and out as OPML.
int runImportOpml(AppContext& context, const QStringList& args);  // import-opml FILE
int runExportOpml(AppContext& context, const QStringList& args);  // export-opml FILE

}  // namespace cli
}  // namespace tidewell
