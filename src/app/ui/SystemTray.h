#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QMainWindow;

namespace tidewell {

struct AppContext;
struct MainMenus;

// The main window's icon in the notification area: created the first time
// the window goes there (with its one balloon), kept until the window
// unloads. Its menu is the main window's mnuSysTray; a double-click shows or
// hides the window through the window's "show" command.
class SystemTray : public QObject {
  Q_OBJECT

 public:
  SystemTray(QMainWindow& window, AppContext& context, MainMenus& menus);
  ~SystemTray() override;

  // Whether the desktop has a notification area; replaced in tests.
  std::function<bool()> availabilityTest;
  // True when a category tree node is selected (the tray's add-feed command needs one).
  std::function<bool()> hasSelectedNode;
  // The main window's tray commands ("show", ...).
  std::function<void(const QString&)> handleCommand;

  bool available() const;
  // Puts the window into the notification area; false (the window left as
  // it is) when the desktop has none, so a minimised window stays reachable.
  bool AddToSystemTray();
  // Sets the menu's enabled states just before it pops up.
  void prepareMenu();
  // Removes the icon (the main window unloads).
  void remove();

  QSystemTrayIcon* oSysTray() const { return oSysTray_; }
  int balloonsShown() const { return balloonsShown_; }
  const QString& balloonTitle() const { return balloonTitle_; }
  const QString& balloonText() const { return balloonText_; }

 private:
  void onActivated(QSystemTrayIcon::ActivationReason reason);

  QMainWindow& window_;
  AppContext& context_;
  MainMenus& menus_;
  QSystemTrayIcon* oSysTray_ = nullptr;
  int balloonsShown_ = 0;
  QString balloonTitle_;
  QString balloonText_;
};

}  // namespace tidewell
