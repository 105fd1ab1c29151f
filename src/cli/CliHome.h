#pragma once

#include "core/AppPaths.h"

#include <QString>

#include <optional>

namespace tidewell::cli {

// The application folder of one call, ready for use: --home when given
// (home), else the program's own rules from programFolder; prepared on first
// use as the window prepares it. Both command-line programs go through here,
// so that the front and the full program always agree on the folder. Prints
// why and gives nothing when the folder cannot be prepared.
std::optional<AppPaths> OpenHome(const QString& home, const QString& programFolder);

}  // namespace tidewell::cli
