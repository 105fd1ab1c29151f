#pragma once

#include "core/Result.h"

namespace tidewell {

class AppPaths;

// Makes an application folder ready on first use, for the window and the
// command line alike: the Data folder for the item stores, and feeds.fdb
// copied from the shipped default.fdb when the folder has none yet. An
// existing feeds.fdb is never touched.
Status PrepareAppFolder(const AppPaths& paths);

}  // namespace tidewell
