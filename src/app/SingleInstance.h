#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

namespace tidewell {

// One desktop program per user and application folder: two schedulers on the
// same files would check and write the same feeds twice. The first start
// listens on a local socket; a later start hands its command line over and
// exits. The command-line tool does not take part (the stores' locks keep
// concurrent runs safe).
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Role { Primary, HandedOver, Failed };

  explicit SingleInstance(QString serverName, QObject* parent = nullptr);
  ~SingleInstance() override;

  // The socket name for a user's application folder: short, so that it fits
  // a socket path on every platform, and free of the folder's characters.
  static QString serverNameFor(const QString& appFolder);

  // Hands arguments to a running first instance (HandedOver), or becomes the
  // first one and listens (Primary). A socket left behind by a crashed
  // program is taken over. Failed: neither worked; the caller runs alone.
  Role start(const QStringList& arguments, int handOverTimeoutMs = 5000);

  const QString& serverName() const { return serverName_; }

 signals:
  // A later start's arguments (without the program path).
  void commandLineReceived(const QStringList& arguments);

 private:
  bool handOver(const QStringList& arguments, int timeoutMs);
  void onNewConnection();

  QString serverName_;
  QLocalServer server_;
};

}  // namespace tidewell
