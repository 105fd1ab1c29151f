#include "app/AppContext.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/frmViewFeed.h"
#include "scheduler/SchedulerState.h"
#include "scheduler/mScheduler.h"
#include "support/AppFixture.h"
#include "support/FeedBuilder.h"
#include "support/ScriptedMessages.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"
#include "support/ui/FakeViewerHost.h"

#include <QDir>
#include <QLockFile>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::FakeViewerHost;
using tidewell::test::rss;
using tidewell::test::rssItem;
using tidewell::test::ScriptedMessages;
using tidewell::test::TestHttpServer;

namespace {

QByteArray feedOf(int n) {
  return rss({rssItem(QStringLiteral("Item %1").arg(n), QStringLiteral("http://example.invalid/%1").arg(n),
                      QStringLiteral("Tue, 10 Sep 2002 09:00:00 GMT"), QStringLiteral("<p>body</p>"))});
}

QString feedIdOf(int n) { return QStringLiteral("00000000-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')); }

// A scheduled run over feeds whose answers the server holds, and a viewer on
// a feed of its own: which answers when is the test's to decide.
struct Harness : AppFixture {
  Harness() {
    QDir().mkpath(context.paths.dataFolder());
    scheduler.setConnectivityTest([] { return true; });
    viewer = std::make_unique<frmViewFeed>(context, platform, host,
                                           FeedRecord{.url = server.url(QStringLiteral("/viewer.xml")).toString(),
                                                      .id = feedIdOf(0),
                                                      .name = QStringLiteral("Viewer")});
    viewer->setCheckForNewItems(true);
    viewer->show();
    viewer->tmrDelay().stop();
  }
  // Feeds 1..count on held routes.
  QList<ScheduleEntry> heldFeeds(int count) {
    QList<ScheduleEntry> entries;
    for (int n = 1; n <= count; ++n) {
      const QString path = QStringLiteral("/slow/%1.xml").arg(n);
      server.route(path, {.body = feedOf(n), .held = true});
      entries.append({{}, server.url(path).toString(), 0, feedIdOf(n), QStringLiteral("Slow %1").arg(n)});
    }
    return entries;
  }
  void releaseAll(int count) {
    for (int n = 1; n <= count; ++n) server.release(QStringLiteral("/slow/%1.xml").arg(n));
  }
  QStringList storedTitles(int n) {
    ScriptedMessages quiet;
    const std::optional<StoredItems> stored = ItemStore(context.paths.itemStore(feedIdOf(n))).LoadStoredItems(quiet);
    QStringList titles;
    if (stored) {
      for (const StoredItem& item : stored->items) titles << item.title;
    }
    return titles;
  }

  TestHttpServer server;
  tidewell::test::FakePlatform platform;
  FakeViewerHost host;
  SchedulerState state;
  mScheduler scheduler{context.paths, context.settings, state};
  std::unique_ptr<frmViewFeed> viewer;
  // The order things ended in.
  QStringList events;
};

}  // namespace

class ConcurrentCheckTest : public QObject {
  Q_OBJECT

 private slots:
  // A viewer opened during a long scheduled run is answered, and can be
  // closed, while the run still waits for its servers; afterwards every
  // store holds its items once.
  void viewerIsAnsweredWhileAScheduledRunGoesOn() {
    constexpr int kFeeds = 100;
    Harness h;
    h.server.route(QStringLiteral("/viewer.xml"), {.body = feedOf(0)});
    const QList<ScheduleEntry> entries = h.heldFeeds(kFeeds);
    QObject::connect(&h.scheduler, &mScheduler::finished, [&h] { h.events << "run finished"; });
    QObject::connect(h.viewer.get(), &frmViewFeed::checkFinished, [&h] { h.events << "viewer answered"; });
    QSignalSpy held(&h.server, &TestHttpServer::requestHeld);
    QVERIFY(h.scheduler.start(entries));
    QVERIFY(held.wait(10000));  // the run is waiting for its first server

    QSignalSpy answered(h.viewer.get(), &frmViewFeed::checkFinished);
    h.viewer->LoadFeedData(true);
    QVERIFY(answered.wait(10000));
    QCOMPARE(h.events, QStringList{"viewer answered"});
    QVERIFY(h.scheduler.isActive());
    QCOMPARE(h.viewer->lstItems()->topLevelItemCount(), 1);
    QVERIFY(!h.viewer->StillExecuting());
    QVERIFY(h.viewer->close());
    QVERIFY(h.messages.empty());

    QSignalSpy finished(&h.scheduler, &mScheduler::finished);
    h.releaseAll(kFeeds);
    QVERIFY(finished.wait(60000));
    QCOMPARE(h.events, (QStringList{"viewer answered", "run finished"}));
    for (int n = 0; n <= kFeeds; ++n) QCOMPARE(h.storedTitles(n), QStringList{QStringLiteral("Item %1").arg(n)});
    QCOMPARE(h.state.summary.size(), kFeeds);
  }

  // The other way round: a run that starts while a viewer waits for its
  // server does not hold back the viewer's answer.
  void aRunStartedWhileAViewerWaitsDoesNotHoldItBack() {
    Harness h;
    h.server.route(QStringLiteral("/viewer.xml"), {.body = feedOf(0), .held = true});
    const QList<ScheduleEntry> entries = h.heldFeeds(3);
    QSignalSpy held(&h.server, &TestHttpServer::requestHeld);
    h.viewer->LoadFeedData(true);
    QVERIFY(held.wait(10000));
    QVERIFY(h.viewer->StillExecuting());
    // Busy: the window says so instead of closing.
    QVERIFY(!h.viewer->close());
    QCOMPARE(h.messages.entries().size(), 1u);
    h.messages.clear();

    QVERIFY(h.scheduler.start(entries));
    QTRY_VERIFY(h.server.heldCount(QStringLiteral("/slow/1.xml")) == 1);
    QSignalSpy answered(h.viewer.get(), &frmViewFeed::checkFinished);
    h.server.release(QStringLiteral("/viewer.xml"));
    QVERIFY(answered.wait(10000));
    QVERIFY(h.scheduler.isActive());
    QCOMPARE(h.storedTitles(0), QStringList{QStringLiteral("Item 0")});

    QSignalSpy finished(&h.scheduler, &mScheduler::finished);
    h.releaseAll(3);
    QVERIFY(finished.wait(10000));
    QVERIFY(h.messages.empty());
  }

  // A store another writer holds: the viewer says so once, the run logs it,
  // and neither counts or lists the items as new.
  void aStoreHeldByAnotherWriterIsReported() {
    Harness h;
    h.server.route(QStringLiteral("/viewer.xml"), {.body = feedOf(0)});
    const QList<ScheduleEntry> entries = h.heldFeeds(1);
    h.releaseAll(1);
    QLockFile viewerStore(h.context.paths.itemStore(feedIdOf(0)) + QStringLiteral(".lock"));
    QLockFile runStore(h.context.paths.itemStore(feedIdOf(1)) + QStringLiteral(".lock"));
    QVERIFY(viewerStore.tryLock(0));
    QVERIFY(runStore.tryLock(0));
    h.scheduler.setLockWaitMs(0);
    h.viewer->storeLockWaitMs = 0;

    QSignalSpy answered(h.viewer.get(), &frmViewFeed::checkFinished);
    h.viewer->LoadFeedData(true);
    QVERIFY(answered.wait(30000));
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Feed Data file is busy!")});
    QCOMPARE(h.viewer->lstItems()->topLevelItemCount(), 0);
    QVERIFY(!h.viewer->HasNewItems());

    QSignalSpy finished(&h.scheduler, &mScheduler::finished);
    QVERIFY(h.scheduler.start(entries));
    QVERIFY(finished.wait(10000));
    const QString log = QString::fromUtf8(h.home.read(QStringLiteral("schedule.log")));
    QVERIFY2(log.contains(mScheduler::kLogStoreLocked), qPrintable(log));
    QVERIFY(!log.contains(mScheduler::kLogNewItemsSuffix));
    QVERIFY(h.state.summary.isEmpty());
  }
};

QTEST_MAIN(ConcurrentCheckTest)
#include "ConcurrentCheckTest.moc"
