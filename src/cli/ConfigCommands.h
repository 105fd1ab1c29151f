#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// config get SECTION KEY | config set SECTION KEY VALUE: AppCfg.cfg through
// the INI layer, so what the program reads is what is shown and written.
int runConfig(AppContext& context, const QStringList& args);
// schedule list | add FEED_ID | remove FEED_ID | enable [--interval INDEX] |
// disable: the scheduler's section, written exactly as the scheduler dialog
// saves it.
int runSchedule(AppContext& context, const QStringList& args);

}  // namespace cli
}  // namespace tidewell
