#include "core/ui/DesktopPlatform.h"

#include "core/Utilities.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QUrl>

namespace tidewell {

DesktopPlatform::DesktopPlatform() : network_(std::make_unique<QNetworkAccessManager>()) {}

DesktopPlatform::~DesktopPlatform() = default;

bool DesktopPlatform::openUrl(const QString& address) {
  if (address.isEmpty()) return false;
  const QUrl url = QFileInfo::exists(address) ? QUrl::fromLocalFile(address) : QUrl::fromUserInput(address);
  return url.isValid() && QDesktopServices::openUrl(url);
}

bool DesktopPlatform::openFile(const QString& path) {
  return !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopPlatform::isConnected() { return util::IsConnected(); }

bool DesktopPlatform::trayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

int DesktopPlatform::runModal(QDialog& dialog) { return dialog.exec(); }

void DesktopPlatform::playSound(const QString& path) {
  // Started detached: a missing player or audio device costs nothing but the
  // sound, and the window that asked never waits for it.
  for (const char* player : {"paplay", "aplay"}) {
    if (QProcess::startDetached(QLatin1String(player), {path})) return;
  }
}

QString DesktopPlatform::chooseOpenFile(QWidget* parent, const QString& title, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QNetworkAccessManager* DesktopPlatform::network() { return network_.get(); }

}  // namespace tidewell
