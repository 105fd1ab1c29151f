#include "scheduler/NotificationService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace tidewell {

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kOpenAction = QStringLiteral("open");
const QString kDefaultAction = QStringLiteral("default");

}  // namespace

NotificationService::NotificationService(QDBusConnection bus, QString appName, QString iconName, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), appName_(std::move(appName)), iconName_(std::move(iconName)) {
  bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
               SLOT(onActionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
}

bool NotificationService::available() const {
  if (!bus_.isConnected() || bus_.interface() == nullptr) return false;
  return bus_.interface()->isServiceRegistered(kService).value();
}

void NotificationService::show(const QString& summary, const QString& body, const QString& openLabel) {
  const Announcement announcement{summary, body, openLabel};
  if (waiting_) {
    queued_ = announcement;
    return;
  }
  send(announcement);
}

void NotificationService::send(const Announcement& announcement) {
  waiting_ = true;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  const QStringList actions{kDefaultAction, announcement.openLabel, kOpenAction, announcement.openLabel};
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), iconName_);
  hints.insert(QStringLiteral("category"), QStringLiteral("transfer.complete"));
  // The program plays its own chime, as the pop-up does.
  hints.insert(QStringLiteral("suppress-sound"), true);
  call << appName_ << currentId_ << iconName_ << announcement.summary << announcement.body << actions << hints
       << qint32(-1);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    const QDBusPendingReply<uint> reply = *finished;
    const quint32 id = reply.isError() ? 0 : reply.value();
    currentId_ = id;
    waiting_ = false;
    emit shown(id);
    if (queued_) {
      const Announcement next = *queued_;
      queued_.reset();
      send(next);
    }
  });
}

void NotificationService::onActionInvoked(uint id, const QString& action) {
  if (id == 0 || id != currentId_) return;  // another program's notification
  if (action == kOpenAction || action == kDefaultAction) emit openRequested();
}

void NotificationService::onClosed(uint id, uint /*reason*/) {
  // Closed on screen: the next announcement is a new one, not an update.
  if (id != 0 && id == currentId_) currentId_ = 0;
}

}  // namespace tidewell
