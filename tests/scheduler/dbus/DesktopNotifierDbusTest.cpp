// Runs on a private session bus (dbus-run-session): a stand-in notification
// service on its own connection receives what Tidewell announces.
#include "app/AppContext.h"
#include "scheduler/NotificationService.h"
#include "scheduler/ui/DesktopNotifier.h"
#include "scheduler/ui/frmNotification.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/ui/FakePlatform.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QPointer>
#include <QtTest>

using namespace tidewell;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

struct Call {
  QString appName;
  uint replacesId = 0;
  QString summary;
  QString body;
  QStringList actions;
  QVariantMap hints;
};

}  // namespace

// What a desktop's notification daemon offers, as far as Tidewell uses it.
class StandInNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  explicit StandInNotifications(QDBusConnection bus) : bus_(std::move(bus)) {}
  QList<Call> calls;

  void emitSignal(const QString& name, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createSignal(NotificationService::kPath, NotificationService::kService, name);
    message.setArguments(arguments);
    bus_.send(message);
  }

 public slots:
  uint Notify(const QString& appName, uint replacesId, const QString& /*icon*/, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/) {
    calls.append({appName, replacesId, summary, body, actions, hints});
    return replacesId != 0 ? replacesId : ++lastId_;
  }
  QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

 private:
  QDBusConnection bus_;
  uint lastId_ = 40;
};

class DesktopNotifierDbusTest : public QObject {
  Q_OBJECT

  struct Harness {
    Harness() : context(home.paths(), home.userStore(), messages) {
      QObject::connect(&notifier, &DesktopNotifier::popupCreated, [this](frmNotification* window) {
        window->workAreaOverride = QRect(0, 0, 1280, 760);
        popups << window;
      });
      QObject::connect(&notifier, &DesktopNotifier::feedRequested, [this](const QString& id) { opened << id; });
    }
    TempHome home;
    ScriptedMessages messages;
    AppContext context;
    NotificationService service{QDBusConnection::sessionBus(), QStringLiteral("Tidewell"),
                                QStringLiteral("org.example.tidewell.Tidewell")};
    tidewell::test::FakePlatform platform;
    DesktopNotifier notifier{context.languages, &service, platform};
    QList<QPointer<frmNotification>> popups;
    QStringList& played = platform.played;
    QStringList opened;
  };

  static NewItemsNotification announcement(const QStringList& lines, const QStringList& ids) {
    NewItemsNotification n;
    n.lines = lines;
    n.feedIds = ids;
    return n;
  }

 private slots:
  void initTestCase() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    standInBus_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("stand-in")));
    standIn_ = std::make_unique<StandInNotifications>(*standInBus_);
    QVERIFY(standInBus_->registerObject(NotificationService::kPath, standIn_.get(), QDBusConnection::ExportAllSlots));
  }

  void init() {
    standIn_->calls.clear();
    QVERIFY(standInBus_->registerService(NotificationService::kService));
  }

  void cleanup() { standInBus_->unregisterService(NotificationService::kService); }

  void oneAnnouncementUpdatedByTheNextCheck() {
    Harness h;
    const QString chime = h.home.write("chime.wav", "RIFF");
    NewItemsNotification first = announcement({"Daily -- 3 New Items", "Gadgets -- 1 New Items"}, {"id-d", "id-g"});
    first.playSound = true;
    first.soundFilePath = chime;
    QSignalSpy shown(&h.service, &NotificationService::shown);
    h.notifier.showNewItems(first);
    QVERIFY(shown.wait());
    QCOMPARE(standIn_->calls.size(), 1);
    const Call& call = standIn_->calls.first();
    QCOMPARE(call.appName, QStringLiteral("Tidewell"));
    QCOMPARE(call.replacesId, 0u);
    QCOMPARE(call.summary, QStringLiteral("Following Feeds Updated:"));
    QCOMPARE(call.body, QStringLiteral("Daily -- 3 New Items\nGadgets -- 1 New Items"));
    QVERIFY(call.actions.contains(QStringLiteral("open")));
    QVERIFY(call.actions.contains(QStringLiteral("Open")));
    QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(),
             QStringLiteral("org.example.tidewell.Tidewell"));
    QCOMPARE(h.played, QStringList{chime});  // the chime as with the pop-up
    QVERIFY(h.popups.isEmpty());
    const quint32 id = h.service.currentId();
    QVERIFY(id != 0);

    // Two checks in quick succession still update the one announcement.
    h.notifier.showNewItems(announcement({"Daily -- 1 New Items"}, {"id-d"}));
    h.notifier.showNewItems(announcement({"Gadgets -- 2 New Items"}, {"id-g"}));
    QTRY_COMPARE(standIn_->calls.size(), 3);
    QCOMPARE(standIn_->calls.at(1).replacesId, id);
    QCOMPARE(standIn_->calls.at(2).replacesId, id);
    QCOMPARE(standIn_->calls.at(2).body, QStringLiteral("Gadgets -- 2 New Items"));

    // Closed on screen: the next check makes a new one.
    QTRY_COMPARE(shown.size(), 3);
    standIn_->emitSignal(QStringLiteral("NotificationClosed"), {id, 2u});
    QTRY_COMPARE(h.service.currentId(), 0u);
    h.notifier.showNewItems(announcement({"Daily -- 5 New Items"}, {"id-d"}));
    QTRY_COMPARE(standIn_->calls.size(), 4);
    QCOMPARE(standIn_->calls.at(3).replacesId, 0u);
  }

  void openShowsTheAnnouncedFeed() {
    Harness h;
    QSignalSpy shown(&h.service, &NotificationService::shown);
    h.notifier.showNewItems(announcement({"Daily -- 3 New Items", "Gadgets -- 1 New Items"}, {"id-d", "id-g"}));
    QVERIFY(shown.wait());
    QSignalSpy open(&h.service, &NotificationService::openRequested);
    standIn_->emitSignal(QStringLiteral("ActionInvoked"), {h.service.currentId() + 1, QStringLiteral("open")});
    standIn_->emitSignal(QStringLiteral("ActionInvoked"), {h.service.currentId(), QStringLiteral("open")});
    QVERIFY(open.wait());
    QCOMPARE(open.size(), 1);  // another program's notification is not ours
    QCOMPARE(h.opened, QStringList{QStringLiteral("id-d")});
  }

  void popupWithoutAServiceOrWhenChosen() {
    for (const bool serviceRunning : {false, true}) {
      if (!serviceRunning) standInBus_->unregisterService(NotificationService::kService);
      Harness h;
      h.notifier.setPopupPreference([serviceRunning] { return serviceRunning; });  // chosen only when there is a choice
      h.notifier.showNewItems(announcement({"Daily -- 3 New Items"}, {"id-d"}));
      QCOMPARE(h.popups.size(), 1);
      QVERIFY(!h.popups.first().isNull() && h.popups.first()->isVisible());
      if (!serviceRunning) QVERIFY(standInBus_->registerService(NotificationService::kService));
    }
    QCOMPARE(standIn_->calls.size(), 0);
  }

 private:
  std::unique_ptr<QDBusConnection> standInBus_;
  std::unique_ptr<StandInNotifications> standIn_;
};

QTEST_MAIN(DesktopNotifierDbusTest)
#include "DesktopNotifierDbusTest.moc"
