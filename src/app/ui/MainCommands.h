#pragma once

namespace tidewell {

class frmMain;
struct MainMenus;

// Connects every menu entry, tray menu entry and toolbar button of the main
// window to the command it stands for.
void connectMainCommands(frmMain& window, MainMenus& menus);

}  // namespace tidewell
