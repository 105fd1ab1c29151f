#pragma once

#include "core/ui/Platform.h"

#include <memory>

namespace tidewell {

// The desktop the program runs on: its default programs, its notification
// area, Qt's dialogs and one network access manager for the whole program.
class DesktopPlatform : public Platform {
 public:
  DesktopPlatform();
  ~DesktopPlatform() override;

  bool openUrl(const QString& address) override;
  bool openFile(const QString& path) override;
  bool isConnected() override;
  bool trayAvailable() override;
  int runModal(QDialog& dialog) override;
  // Plays with the first player the desktop has; silent when none is there
  // or there is no audio device.
  void playSound(const QString& path) override;
  QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter) override;
  QNetworkAccessManager* network() override;

 private:
  std::unique_ptr<QNetworkAccessManager> network_;
};

}  // namespace tidewell
