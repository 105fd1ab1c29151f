#pragma once

#include <QString>

class QDialog;
class QNetworkAccessManager;
class QWidget;

namespace tidewell {

// What the windows need from the world outside the program: the user's
// browser and default programs, the network and whether it is reachable, the
// notification area, modal dialogs, file choices and sounds. The program
// passes the desktop's; tests pass one that records and answers from a script.
class Platform {
 public:
  virtual ~Platform() = default;

  // Opens a web address or a "mailto:" link with the user's default program.
  virtual bool openUrl(const QString& address) = 0;
  // Opens a local file with the program the desktop has for its type.
  virtual bool openFile(const QString& path) = 0;
  // Whether the machine has a network connection worth trying.
  virtual bool isConnected() = 0;
  // Whether the desktop has a notification area for the program's icon.
  virtual bool trayAvailable() = 0;
  // Runs a dialog modally and returns its result code.
  virtual int runModal(QDialog& dialog) = 0;
  // Plays a sound file without waiting for it.
  virtual void playSound(const QString& path) = 0;
  // An open-file dialog; filter in Qt's form. Empty when cancelled.
  virtual QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter) = 0;
  // The program's network access, shared by every download a window starts.
  virtual QNetworkAccessManager* network() = 0;
};

}  // namespace tidewell
