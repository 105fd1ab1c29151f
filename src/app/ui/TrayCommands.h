#pragma once

#include <QString>

namespace tidewell {

class Platform;
class SystemTray;
class frmMain;

// The commands of the tray menu ("show", "add_feed", "email_settings",
// "scheduler_settings", "app_settings", "help_file", "help_email",
// "help_website", "close"), each carried out on the main window; any other
// name does nothing.
class TrayCommands {
 public:
  TrayCommands(frmMain& window, SystemTray& tray, Platform& platform);

  void run(const QString& action);

 private:
  frmMain& window_;
  SystemTray& tray_;
  Platform& platform_;
};

}  // namespace tidewell
