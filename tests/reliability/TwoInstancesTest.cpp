// Two instances of the program on one application folder, both running the
// scheduled check over the same feeds at the same moment, round after round
// while the feeds grow: every store stays well-formed and holds each item
// once.

#include "core/Utilities.h"
#include "feeds/ItemStore.h"
#include "settings/mSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QEventLoop>
#include <QProcess>
#include <QSet>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tidewell::test {
namespace {

constexpr int kFeeds = 8;
constexpr int kRounds = 6;

// Items 1..count, newest first, one day apart.
QByteArray growingFeed(int feed, int count) {
  QByteArray out = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Shared</title>";
  for (int i = count; i >= 1; --i) {
    const QByteArray n = QByteArray::number(i);
    out += "<item><title>item " + n + "</title><link>http://example.invalid/" + QByteArray::number(feed) + "/" + n +
           "</link><pubDate>" + QByteArray::number(i % 28 + 1) + " Nov " + QByteArray::number(2000 + i / 28) +
           " 10:00:00 GMT</pubDate></item>";
  }
  return out + "</channel></rss>";
}

TEST(TwoInstances, SimultaneousScheduledChecksStoreEveryItemOnce) {
  TempHome home;
  ScriptedMessages messages;
  TestHttpServer server;
  mSettings settings(home.paths(), messages);
  int round = 0;
  for (int feed = 0; feed < kFeeds; ++feed) {
    const QString path = QString("/feed%1.xml").arg(feed);
    // A short delay makes the two downloads of a feed overlap.
    server.route(path, {.delayMs = 20, .handler = [&round, feed](const TestHttpServer::Request&) {
                          return TestHttpServer::Response{.body = growingFeed(feed, 3 * round), .delayMs = 20};
                        }});
    ScheduleEntry entry;
    entry.caption = QString("Shared %1").arg(feed);
    entry.url = server.url(path).toString();
    entry.feedId = util::NewFeedID();
    settings.scheduleList.push_back(entry);
  }
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));

  for (round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE(QString("round %1").arg(round).toStdString());
    std::vector<std::unique_ptr<QProcess>> runs;
    QEventLoop loop;
    int running = 2;
    for (int i = 0; i < 2; ++i) {
      auto process = std::make_unique<QProcess>();
      QObject::connect(process.get(), &QProcess::finished, &loop, [&] {
        if (--running == 0) loop.quit();
      });
      process->start(TempHome::binDir() + "/tidewell-cli", {"--home", home.path(), "check"});
      runs.push_back(std::move(process));
    }
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    for (const auto& process : runs) {
      ASSERT_EQ(process->state(), QProcess::NotRunning);
      EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    for (const ScheduleEntry& entry : settings.scheduleList) {
      const std::optional<StoredItems> stored =
          ItemStore(home.paths().itemStore(entry.feedId)).LoadStoredItems(messages);
      ASSERT_TRUE(stored.has_value()) << entry.caption.toStdString();
      QSet<QString> ids;
      for (const StoredItem& item : stored->items) {
        EXPECT_FALSE(ids.contains(item.id))
            << entry.caption.toStdString() << " holds " << item.title.toStdString() << " twice";
        ids.insert(item.id);
      }
      EXPECT_EQ(ids.size(), 3 * round) << entry.caption.toStdString();
    }
    EXPECT_TRUE(messages.empty());
  }
}

}  // namespace
}  // namespace tidewell::test
