#include "cli/CliHome.h"

#include "cli/CliCommand.h"
#include "core/AppFolderSetup.h"

namespace tidewell::cli {

std::optional<AppPaths> OpenHome(const QString& home, const QString& programFolder) {
  AppPaths paths = home.isEmpty() ? AppPaths::forProgram(programFolder) : AppPaths::forFolder(home, programFolder);
  if (const Status ready = PrepareAppFolder(paths); !ready) {
    printErr(QStringLiteral("tidewell-cli: ") + ready.error().description);
    return std::nullopt;
  }
  return paths;
}

}  // namespace tidewell::cli
