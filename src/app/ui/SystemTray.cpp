#include "app/ui/SystemTray.h"

#include "app/AppContext.h"
#include "app/ui/MainMenus.h"
#include "core/ui/Platform.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

namespace tidewell {

namespace {

constexpr int kBalloonMs = 5000;

}  // namespace

SystemTray::SystemTray(QMainWindow& window, AppContext& context, MainMenus& menus, Platform& platform)
    : QObject(&window), window_(window), context_(context), menus_(menus), platform_(platform) {
  connect(menus_.mnuSysTray, &QMenu::aboutToShow, this, &SystemTray::prepareMenu);
}

SystemTray::~SystemTray() { remove(); }

bool SystemTray::available() const { return platform_.trayAvailable(); }

void SystemTray::putWindowInTray() {
  if (window_.isVisible() && !(window_.windowState() & Qt::WindowMinimized)) trayGeometry_ = window_.saveGeometry();
  // Without a notification area the window stays minimised where the task
  // bar can bring it back; hiding it would lose it.
  if (AddToSystemTray()) inTray_ = true;
}

void SystemTray::toggleWindow() {
  // The window's own state decides: the item's caption may be translated.
  if (!window_.isVisible() || inTray_) {
    menus_.mnuSysTrayShow->setText(context_.languages.getMessages(QStringLiteral("MSG_WND_HIDE")));
    inTray_ = false;
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    // Back where it was, not in the corner a hidden window is shown in.
    if (!trayGeometry_.isEmpty()) window_.restoreGeometry(trayGeometry_);
    window_.activateWindow();
  } else {
    menus_.mnuSysTrayShow->setText(context_.languages.getMessages(QStringLiteral("MSG_WND_SHOW")));
    inTray_ = true;
    window_.hide();
  }
}

bool SystemTray::AddToSystemTray() {
  if (!available()) return false;
  if (oSysTray_ == nullptr) {
    oSysTray_ = new QSystemTrayIcon(window_.windowIcon(), this);
    oSysTray_->setToolTip(context_.identity.programName);
    oSysTray_->setContextMenu(menus_.mnuSysTray);
    connect(oSysTray_, &QSystemTrayIcon::activated, this, &SystemTray::onActivated);
    oSysTray_->show();
    const clsLanguages& l = context_.languages;
    // The title continues the program's name ("Tidewell is minimized here!"),
    // and the shipped English text's stray closing quote is not shown.
    QString minimized = l.getMessages(QStringLiteral("MSG_MINIMIZED"));
    if (!minimized.isEmpty()) minimized[0] = minimized[0].toLower();
    QString hint = l.getMessages(QStringLiteral("MSG_TRAY"));
    if (hint.endsWith(QLatin1Char('"')) && hint.count(QLatin1Char('"')) % 2 == 1) hint.chop(1);
    balloonTitle_ = context_.identity.programName + QLatin1Char(' ') + minimized;
    balloonText_ = hint;
    oSysTray_->showMessage(balloonTitle_, balloonText_, QSystemTrayIcon::NoIcon, kBalloonMs);
    ++balloonsShown_;
  } else {
    menus_.mnuSysTrayShow->setText(context_.languages.getMessages(QStringLiteral("MSG_WND_SHOW")));
    // A window that closed the icon's own window must not lose the way back.
    if (!oSysTray_->isVisible()) oSysTray_->show();
  }
  window_.hide();
  return true;
}

void SystemTray::bringWindowForward() {
  if (inTray_ || !window_.isVisible()) {
    toggleWindow();
  } else {
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
  }
  window_.raise();
  window_.activateWindow();
}

// Adding a feed needs no selected node: the dialog lets the user pick the
// category, and from the tray the tree is out of sight anyway.
void SystemTray::prepareMenu() { menus_.mnuSysTrayAddFeed->setEnabled(true); }

void SystemTray::onActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::DoubleClick) emit commandChosen(QStringLiteral("show"));
}

void SystemTray::remove() {
  if (oSysTray_ == nullptr) return;
  oSysTray_->hide();
  delete oSysTray_;
  oSysTray_ = nullptr;
}

}  // namespace tidewell
