#include "app/ui/TrayCommands.h"

#include "app/ui/SystemTray.h"
#include "app/ui/frmMain.h"
#include "core/ui/Platform.h"

namespace tidewell {

TrayCommands::TrayCommands(frmMain& window, SystemTray& tray, Platform& platform)
    : window_(window), tray_(tray), platform_(platform) {}

void TrayCommands::run(const QString& action) {
  if (action == QLatin1String("show")) {
    tray_.toggleWindow();
  } else if (action == QLatin1String("add_feed")) {
    window_.mnuFeedsAdd_Click();
  } else if (action == QLatin1String("email_settings")) {
    window_.mnuToolsEmailSettings_Click();
  } else if (action == QLatin1String("scheduler_settings")) {
    window_.mnuToolsSchedule_Click();
  } else if (action == QLatin1String("app_settings")) {
    window_.mnuToolsAppSettings_Click();
  } else if (action == QLatin1String("help_file")) {
    window_.mnuHelpFile_Click();
  } else if (action == QLatin1String("help_email")) {
    platform_.openUrl(QStringLiteral("mailto:support@tidewell.example.org"));
  } else if (action == QLatin1String("help_website")) {
    window_.cmdWebsite_Click();
  } else if (action == QLatin1String("close")) {
    // The close query first: after "Keep Running" every window, and the
    // tray icon, stays as it was. Only a real close takes the others along.
    if (window_.close()) window_.UnloadAllForms();
  }
}

}  // namespace tidewell
