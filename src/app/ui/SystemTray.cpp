#include "app/ui/SystemTray.h"

#include "app/AppContext.h"
#include "app/ui/MainMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

namespace tidewell {

namespace {

constexpr int kBalloonMs = 5000;

}  // namespace

SystemTray::SystemTray(QMainWindow& window, AppContext& context, MainMenus& menus)
    : QObject(&window), window_(window), context_(context), menus_(menus) {
  connect(menus_.mnuSysTray, &QMenu::aboutToShow, this, &SystemTray::prepareMenu);
}

SystemTray::~SystemTray() { remove(); }

bool SystemTray::available() const {
  return availabilityTest ? availabilityTest() : QSystemTrayIcon::isSystemTrayAvailable();
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
    oSysTray_->showMessage(
        context_.identity.programName + QLatin1Char(' ') + l.getMessages(QStringLiteral("MSG_MINIMIZED")),
        l.getMessages(QStringLiteral("MSG_TRAY")), QSystemTrayIcon::NoIcon, kBalloonMs);
    ++balloonsShown_;
  } else {
    menus_.mnuSysTrayShow->setText(QStringLiteral("Show"));
  }
  window_.hide();
  return true;
}

void SystemTray::prepareMenu() { menus_.mnuSysTrayAddFeed->setEnabled(hasSelectedNode && hasSelectedNode()); }

void SystemTray::onActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::DoubleClick && handleCommand) handleCommand(QStringLiteral("show"));
}

void SystemTray::remove() {
  if (oSysTray_ == nullptr) return;
  oSysTray_->hide();
  delete oSysTray_;
  oSysTray_ = nullptr;
}

}  // namespace tidewell
