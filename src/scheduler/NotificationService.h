#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace tidewell {

// The desktop's notification service (org.freedesktop.Notifications on the
// session bus). Tidewell keeps one announcement there and updates it with
// each check instead of adding another; its "Open" action asks for the
// announced feed. Calls are asynchronous: the program never waits on the bus.
class NotificationService : public QObject {
  Q_OBJECT

 public:
  static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");
  static inline const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

  NotificationService(QDBusConnection bus, QString appName, QString iconName, QObject* parent = nullptr);

  // Whether a notification service is on the bus now.
  bool available() const;
  // Shows the announcement, replacing the previous one while it is still up.
  void show(const QString& summary, const QString& body, const QString& openLabel);
  // The service's id of the announcement on screen (0: none).
  quint32 currentId() const { return currentId_; }

 signals:
  // The user chose "Open" (or clicked the announcement).
  void openRequested();
  // The service answered a show (its id), or refused it (0).
  void shown(quint32 id);

 private slots:
  void onActionInvoked(uint id, const QString& action);
  void onClosed(uint id, uint reason);

 private:
  struct Announcement {
    QString summary;
    QString body;
    QString openLabel;
  };
  void send(const Announcement& announcement);

  QDBusConnection bus_;
  QString appName_;
  QString iconName_;
  quint32 currentId_ = 0;
  // An announcement made while the service had not answered the previous
  // one waits for its id, so that it replaces it instead of adding another.
  bool waiting_ = false;
  std::optional<Announcement> queued_;
};

}  // namespace tidewell
