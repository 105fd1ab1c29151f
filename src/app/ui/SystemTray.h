#pragma once

#include <QByteArray>
#include <QObject>
#include <QSystemTrayIcon>

class QMainWindow;

namespace tidewell {

struct AppContext;
struct MainMenus;
class Platform;

// The main window's icon in the notification area: created the first time
// the window goes there (with its one balloon), kept until the window
// unloads. Its menu is the main window's mnuSysTray; a double-click shows or
// hides the window through the window's "show" command. It keeps where the
// window was, so that it comes back there.
class SystemTray : public QObject {
  Q_OBJECT

 public:
  SystemTray(QMainWindow& window, AppContext& context, MainMenus& menus, Platform& platform);
  ~SystemTray() override;

  bool available() const;
  // Puts the window into the notification area; false (the window left as
  // it is) when the desktop has none, so a minimised window stays reachable.
  bool AddToSystemTray();
  // The same, remembering where the shown window was.
  void putWindowInTray();
  // The "show" command: a hidden window comes back where it was, a shown one
  // goes to the notification area.
  void toggleWindow();
  // Another start of the program wants to see the window, wherever it is
  // (in the tray, minimised, behind others).
  void bringWindowForward();
  // True while the window lives in the notification area instead of on screen.
  bool inTray() const { return inTray_; }
  // Sets the menu's enabled states just before it pops up.
  void prepareMenu();
  // Removes the icon (the main window unloads).
  void remove();

  QSystemTrayIcon* oSysTray() const { return oSysTray_; }
  int balloonsShown() const { return balloonsShown_; }
  const QString& balloonTitle() const { return balloonTitle_; }
  const QString& balloonText() const { return balloonText_; }

 signals:
  // A tray command for the main window ("show" on a double-click).
  void commandChosen(const QString& action);

 private:
  void onActivated(QSystemTrayIcon::ActivationReason reason);

  QMainWindow& window_;
  AppContext& context_;
  MainMenus& menus_;
  Platform& platform_;
  bool inTray_ = false;
  QByteArray trayGeometry_;  // where the window was before it went to the tray
  QSystemTrayIcon* oSysTray_ = nullptr;
  int balloonsShown_ = 0;
  QString balloonTitle_;
  QString balloonText_;
};

}  // namespace tidewell
