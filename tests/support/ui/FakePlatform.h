#pragma once

#include "core/ui/Platform.h"

#include <QNetworkAccessManager>
#include <QStringList>

#include <functional>

namespace tidewell::test {

// The outside world as the window tests script it: every address, file and
// sound is recorded instead of reaching the desktop, connectivity and the
// notification area answer as set, and modal dialogs are recorded by name and
// answered by onModal (or with modalResult) instead of run.
class FakePlatform : public Platform {
 public:
  bool openUrl(const QString& address) override;
  bool openFile(const QString& path) override;
  bool isConnected() override { return connected; }
  bool trayAvailable() override { return tray; }
  int runModal(QDialog& dialog) override;
  void playSound(const QString& path) override { played << path; }
  QString chooseOpenFile(QWidget*, const QString&, const QString&) override { return chosenFile; }
  QNetworkAccessManager* network() override { return &manager; }

  QNetworkAccessManager manager;
  bool connected = true;
  bool tray = true;
  bool openSucceeds = true;
  // Answers a modal dialog (it may work the dialog's controls first); empty: modalResult.
  std::function<int(QDialog&)> onModal;
  int modalResult = 0;  // QDialog::Rejected
  QString chosenFile;

  QStringList opened;  // addresses and files, in order
  QStringList modals;  // object names of the dialogs run
  QStringList played;
};

}  // namespace tidewell::test
