#include "SchedulerFixture.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLockFile>

#include <pugixml.hpp>

namespace tidewell::test {
namespace {

const std::vector<TestItem> kThreeNewestFirst = {
    {QStringLiteral("third"), QStringLiteral("Fri, 04 Dec 2026 09:16:03 GMT")},
    {QStringLiteral("second"), QStringLiteral("Thu, 03 Dec 2026 08:00:00 GMT")},
    {QStringLiteral("first"), QStringLiteral("Wed, 02 Dec 2026 07:00:00 GMT")}};

using SchedulerRun = SchedulerFixture;

TEST_F(SchedulerRun, TwoFeedsLogExactlyAsDocumented) {
  server.route(QStringLiteral("/news.xml"), {.body = rssFeed(kThreeNewestFirst)});
  server.route(QStringLiteral("/silent.xml"), {.stall = true});
  const ScheduleEntry news = entry(QStringLiteral("Daily News"), server.url(QStringLiteral("/news.xml")));
  const ScheduleEntry silent = entry(QStringLiteral("Silent Server"), server.url(QStringLiteral("/silent.xml")));
  schedule({news, silent});
  scheduler->setTimeoutMs(400);

  ASSERT_TRUE(scheduler->RunScheduledCheck());

  const QStringList expected = {
      QString(70, QLatin1Char('=')),
      QStringLiteral("Scheduled Check Started (<date>)"),
      QString(),
      QString(),
      QStringLiteral("Checking Daily News"),
      QStringLiteral("    Sending Request to Source Server ..."),
      QStringLiteral("    Request Sent, Waiting for Server Response ..."),
      QStringLiteral("    Parsing Feed content ..."),
      QStringLiteral("    3 New Items found!"),
      QStringLiteral("    Done!"),
      QString(),
      QString(),
      QStringLiteral("Checking Silent Server"),
      QStringLiteral("    Sending Request to Source Server ..."),
      QStringLiteral("    Request Sent, Waiting for Server Response ..."),
      QStringLiteral("--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!"),
      QString(),
      QString(),
      QStringLiteral("Scheduled Check Finished (<date>)"),
      QString(),
  };
  EXPECT_EQ(logLines(), expected);
  EXPECT_FALSE(logText().contains(QRegularExpression(QStringLiteral("[^\r]\n"))));

  // Listed newest first, stored oldest first; the newest one's key is the latest id.
  EXPECT_EQ(storedTitles(news), (QStringList{"first", "second", "third"}));
  EXPECT_EQ(store(news).ReadLatestId(), QStringLiteral("20261204091603"));
  EXPECT_FALSE(QFile::exists(store(silent).path()));

  ASSERT_EQ(notifier.shown.size(), 1u);
  const NewItemsNotification& shown = notifier.shown.front();
  EXPECT_EQ(shown.lines, QStringList{QStringLiteral("Daily News -- 3 New Items")});
  EXPECT_FALSE(shown.autoClose);
  EXPECT_FALSE(shown.canGainFocus);
  EXPECT_TRUE(shown.makeTransparent);
  EXPECT_EQ(shown.transparencyPercentage, 10);
  EXPECT_FALSE(shown.playSound);
  EXPECT_FALSE(state.Running);
  EXPECT_FALSE(state.inProgress);
  EXPECT_EQ(state.summary, (QList<NewItemsEntry>{{QStringLiteral("Daily News"), 3, news.feedId}}));
}

TEST_F(SchedulerRun, EmptyScheduleLogsOnlyTheBlocksAndTheNotice) {
  schedule({});
  ASSERT_TRUE(scheduler->RunScheduledCheck());
  const QStringList expected = {QString(70, QLatin1Char('=')),
                                QStringLiteral("Scheduled Check Started (<date>)"),
                                QString(),
                                QString(),
                                QStringLiteral("No Feed Sources found Configured for Schduled check!"),
                                QStringLiteral("Scheduled Check Finished (<date>)"),
                                QString()};
  EXPECT_EQ(logLines(), expected);
  EXPECT_TRUE(notifier.shown.empty());
  EXPECT_FALSE(state.inProgress);
}

TEST_F(SchedulerRun, LogRestartsAtItsSizeLimit) {
  struct Case {
    qint64 size;
    bool restarted;
  };
  for (const Case& c : {Case{512001, true}, Case{512000, false}, Case{600000, true}}) {
    SCOPED_TRACE(c.size);
    home.write(QStringLiteral("schedule.log"), QByteArray(c.size, 'x'));
    scheduler->WriteScheduleLog(QStringLiteral("next line"));
    const QByteArray bytes = home.read(QStringLiteral("schedule.log"));
    if (c.restarted) {
      EXPECT_EQ(bytes, QByteArray("next line\r\n"));
    } else {
      EXPECT_EQ(bytes.size(), c.size + 11);
      EXPECT_TRUE(bytes.endsWith("xnext line\r\n"));
    }
  }
}

// Which parsed items a feed's check stores, from the stored latest id.
TEST_F(SchedulerRun, NewItemsAreThoseNewerThanTheLatestId) {
  struct Case {
    const char* name;
    QString storedLatest;  // "" = no store
    std::vector<TestItem> items;
    QString resultLine;
    QStringList stored;
    QString latestAfter;
  };
  const std::vector<Case> cases = {
      {"three newest first, no store",
       {},
       kThreeNewestFirst,
       "    3 New Items found!",
       {"first", "second", "third"},
       "20261204091603"},
      {"only the newer ones",
       "20261203080000",
       kThreeNewestFirst,
       "    1 New Items found!",
       {"third"},
       "20261204091603"},
      {"same second is not new",
       "20261204091603",
       {{"again", "Fri, 04 Dec 2026 09:16:03 GMT"}, {"older", "Thu, 03 Dec 2026 08:00:00 GMT"}},
       "    No New Items found!",
       {},
       "20261204091603"},
      {"walked from the last item: an older one after a newer one is skipped",
       {},
       {{"older", "Thu, 03 Dec 2026 08:00:00 GMT"}, {"newest", "Fri, 04 Dec 2026 09:16:03 GMT"}},
       "    1 New Items found!",
       {"newest"},
       "20261204091603"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.route(QStringLiteral("/feed.xml"), {.body = rssFeed(c.items)});
    const ScheduleEntry feed = entry(QStringLiteral("Feed"), server.url(QStringLiteral("/feed.xml")));
    if (!c.storedLatest.isEmpty()) {
      home.write(QStringLiteral("Data/") + feed.feedId + QStringLiteral(".fdb"), "<data><items/></data>\r\n");
      store(feed).UpdateLatestMarker(c.storedLatest);
    }
    QFile::remove(home.file(QStringLiteral("schedule.log")));
    ASSERT_TRUE(scheduler->RunScheduledCheck({feed}));
    const QStringList result =
        c.resultLine.isEmpty() ? QStringList{} : QStringList{"    Parsing Feed content ...", c.resultLine, "    Done!"};
    EXPECT_EQ(feedBlock(QStringLiteral("Feed")), block(QStringLiteral("Feed"), result));
    EXPECT_EQ(storedTitles(feed), c.stored);
    EXPECT_EQ(store(feed).ReadLatestId(), c.latestAfter);
  }
}

// What a feed's block says for each kind of answer.
TEST_F(SchedulerRun, EachAnswerHasItsLogLines) {
  struct Case {
    const char* name;
    qint16 type;
    TestHttpServer::Response response;
    QStringList lines;  // after "Request Sent ..."
  };
  const QString parsing = QStringLiteral("    Parsing Feed content ...");
  const QString done = QStringLiteral("    Done!");
  const std::vector<Case> cases = {
      {"rss not well-formed",
       0,
       {.body = "<rss><channel>"},
       {parsing, "-->Error: Server returned Feed data in invalid XML format!", done}},
      {"atom not well-formed",
       1,
       {.body = "<feed>"},
       {parsing, "--> Error: Server returned Feed data in invalid XML format!", done}},
      {"empty body", 0, {.body = ""}, {parsing, "--> Error: Server returned empty data stream!", done}},
      {"error page for an rss feed",
       0,
       {.status = 404, .body = "<html><body>gone</body></html>"},
       {parsing,
        "--> Error: Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not well-formed.",
        done}},
      {"rss served to an atom feed",
       1,
       {.body = rssFeed(kThreeNewestFirst)},
       {parsing,
        "--> Error: Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not well-formed.",
        done}},
      {"channel without items", 0, {.body = rssFeed({})}, {parsing, done}},
      {"atom entries",
       1,
       {.body = atomFeed({{"b", "2026-12-04T10:00:00Z"}, {"a", "2026-12-03T10:00:00Z"}})},
       {parsing, "    2 New Items found!", done}},
      {"podcast type reads as rss", 2, {.body = rssFeed(kThreeNewestFirst)}, {parsing, "    3 New Items found!", done}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.route(QStringLiteral("/feed.xml"), c.response);
    const ScheduleEntry feed = entry(QStringLiteral("Feed"), server.url(QStringLiteral("/feed.xml")), c.type);
    QFile::remove(home.file(QStringLiteral("schedule.log")));
    ASSERT_TRUE(scheduler->RunScheduledCheck({feed}));
    EXPECT_EQ(feedBlock(QStringLiteral("Feed")), block(QStringLiteral("Feed"), c.lines));
  }
}

// New items that could not be stored are not announced as found: a store
// that cannot be saved (its folder is a file here, which holds even for
// root) and a store another writer holds each log their own error.
TEST_F(SchedulerRun, ItemsThatWereNotStoredAreNotCountedAsNew) {
  server.route(QStringLiteral("/feed.xml"), {.body = rssFeed(kThreeNewestFirst)});
  const ScheduleEntry feed = entry(QStringLiteral("Feed"), server.url(QStringLiteral("/feed.xml")));
  const QString parsing = QStringLiteral("    Parsing Feed content ...");
  const QString done = QStringLiteral("    Done!");

  QLockFile held(home.paths().itemStore(feed.feedId) + QStringLiteral(".lock"));
  ASSERT_TRUE(QDir().mkpath(home.paths().dataFolder()));
  ASSERT_TRUE(held.tryLock(0));
  scheduler->setLockWaitMs(0);
  ASSERT_TRUE(scheduler->RunScheduledCheck({feed}));
  EXPECT_EQ(feedBlock(QStringLiteral("Feed")),
            block(QStringLiteral("Feed"), {parsing, mScheduler::kLogStoreLocked, done}));
  held.unlock();

  QFile::remove(home.file(QStringLiteral("schedule.log")));
  ASSERT_TRUE(QDir(home.paths().dataFolder()).removeRecursively());
  home.write(QStringLiteral("Data"), "not a folder");
  ASSERT_TRUE(scheduler->RunScheduledCheck({feed}));
  const QStringList lines = feedBlock(QStringLiteral("Feed"));
  ASSERT_EQ(lines.size(), 8) << lines.join('|').toStdString();
  EXPECT_TRUE(lines[4].startsWith(mScheduler::kLogSaveFailed)) << lines[4].toStdString();
  EXPECT_FALSE(logText().contains(mScheduler::kLogNewItemsSuffix));
  EXPECT_TRUE(state.summary.isEmpty());
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(SchedulerRun, RefusedConnectionAndNoInternetAreLoggedAndTheRunGoesOn) {
  server.route(QStringLiteral("/ok.xml"), {.body = rssFeed(kThreeNewestFirst)});
  const ScheduleEntry refused = entry(QStringLiteral("Refused"), TestHttpServer::refusingUrl());
  const ScheduleEntry ok = entry(QStringLiteral("Fine"), server.url(QStringLiteral("/ok.xml")));
  ASSERT_TRUE(scheduler->RunScheduledCheck({refused, ok}));
  EXPECT_EQ(feedBlock(QStringLiteral("Refused")),
            block(QStringLiteral("Refused"),
                  {"    Parsing Feed content ...", "--> Error: Server returned empty data stream!", "    Done!"}));
  EXPECT_EQ(feedBlock(QStringLiteral("Fine")),
            block(QStringLiteral("Fine"), {"    Parsing Feed content ...", "    3 New Items found!", "    Done!"}));

  QFile::remove(home.file(QStringLiteral("schedule.log")));
  scheduler->setConnectivityTest([] { return false; });
  ASSERT_TRUE(scheduler->RunScheduledCheck({ok}));
  EXPECT_EQ(feedBlock(QStringLiteral("Fine")),
            (QStringList{"Checking Fine",
                         "--> Error: Application failed to access Internet. Either machine is not connected to "
                         "Internet or Firewall blocked application.",
                         "", ""}));
  EXPECT_EQ(server.hits(QStringLiteral("/ok.xml")), 1);
}

TEST_F(SchedulerRun, NotificationFollowsTheNotifyAndSoundSettings) {
  struct Case {
    qint16 alr;
    qint16 snd;
    bool shown;
    bool sound;
  };
  server.route(QStringLiteral("/feed.xml"), {.body = rssFeed(kThreeNewestFirst)});
  for (const Case& c :
       {Case{0, 0, false, false}, Case{0, 1, false, false}, Case{1, 0, true, false}, Case{1, 1, true, true}}) {
    SCOPED_TRACE(QStringLiteral("alr=%1 snd=%2").arg(c.alr).arg(c.snd).toStdString());
    notifier.shown.clear();
    const ScheduleEntry feed = entry(QStringLiteral("Feed"), server.url(QStringLiteral("/feed.xml")));
    settings.notify = c.alr;
    settings.playSound = c.snd;
    settings.soundFile = home.file(QStringLiteral("notify.wav"));
    schedule({feed});
    ASSERT_TRUE(scheduler->RunScheduledCheck());
    ASSERT_EQ(notifier.shown.size(), c.shown ? 1u : 0u);
    EXPECT_EQ(state.summary.size(), 1);  // the summary is kept either way
    if (!c.shown) continue;
    EXPECT_EQ(notifier.shown[0].playSound, c.sound);
    EXPECT_EQ(notifier.shown[0].soundFilePath, c.sound ? home.file(QStringLiteral("notify.wav")) : QString());
  }
}

TEST_F(SchedulerRun, ClearingRunningStopsBeforeTheNextFeedAndCancelsTheRest) {
  server.route(QStringLiteral("/a.xml"), {.body = rssFeed(kThreeNewestFirst), .delayMs = 200});
  server.route(QStringLiteral("/b.xml"), {.stall = true});
  server.route(QStringLiteral("/c.xml"), {.body = rssFeed(kThreeNewestFirst), .delayMs = 5000});
  const ScheduleEntry a = entry(QStringLiteral("A"), server.url(QStringLiteral("/a.xml")));
  const ScheduleEntry b = entry(QStringLiteral("B"), server.url(QStringLiteral("/b.xml")));
  const ScheduleEntry c = entry(QStringLiteral("C"), server.url(QStringLiteral("/c.xml")));
  schedule({a, b, c});
  // The main window's unload while the first feed is awaited.
  QObject::connect(scheduler.get(), &mScheduler::feedStarted, [this](int index, int, const QString&) {
    if (index == 0) state.Running = false;
  });
  ASSERT_TRUE(scheduler->RunScheduledCheck());

  const QStringList lines = logLines();
  EXPECT_EQ(feedBlock(QStringLiteral("A")),
            block(QStringLiteral("A"), {"    Parsing Feed content ...", "    3 New Items found!", "    Done!"}));
  EXPECT_FALSE(lines.contains(QStringLiteral("Checking B")));
  EXPECT_FALSE(lines.contains(QStringLiteral("Checking C")));
  EXPECT_EQ(lines.at(lines.size() - 2), QStringLiteral("Scheduled Check Finished (<date>)"));
  EXPECT_FALSE(QFile::exists(store(c).path()));
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].lines, QStringList{QStringLiteral("A -- 3 New Items")});
  EXPECT_FALSE(state.inProgress);
}

TEST_F(SchedulerRun, DownloadsAheadWhileLoggingInListOrder) {
  // The first feed is answered only once the last has been asked for: the
  // others are asked for meanwhile, before their turn in the log has come.
  QHash<QString, QString> logAtRequest;
  auto recording = [&](const QString& name, TestHttpServer::Response response) {
    response.handler = [&, name, response](const TestHttpServer::Request&) {
      logAtRequest.insert(name, logText());
      if (name == QLatin1String("d")) server.release(QStringLiteral("/slow"));
      TestHttpServer::Response out = response;
      out.handler = nullptr;
      return out;
    };
    server.route(QStringLiteral("/") + name, response);
  };
  recording(QStringLiteral("slow"), {.body = rssFeed(kThreeNewestFirst), .held = true});
  recording(QStringLiteral("b"), {.body = rssFeed(kThreeNewestFirst)});
  recording(QStringLiteral("c"), {.body = "<rss>"});
  recording(QStringLiteral("d"), {.body = rssFeed(kThreeNewestFirst)});
  QList<ScheduleEntry> feeds;
  for (const char* name : {"slow", "b", "c", "d"}) {
    feeds << entry(QString::fromLatin1(name), server.url(QStringLiteral("/") + QString::fromLatin1(name)));
  }
  scheduler->setConcurrency(4);
  ASSERT_TRUE(scheduler->RunScheduledCheck(feeds));

  for (const char* name : {"b", "c", "d"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(logAtRequest.value(QString::fromLatin1(name)).contains(QStringLiteral("Checking slow")));
    EXPECT_FALSE(logAtRequest.value(QString::fromLatin1(name)).contains(QStringLiteral("Checking b")));
  }
  const QStringList found = {"    Parsing Feed content ...", "    3 New Items found!", "    Done!"};
  QStringList expected = {QString(70, QLatin1Char('=')), "Scheduled Check Started (<date>)", "", ""};
  expected += block("slow", found);
  expected += block("b", found);
  expected += block(
      "c", {"    Parsing Feed content ...", "-->Error: Server returned Feed data in invalid XML format!", "    Done!"});
  expected += block("d", found);
  expected += QStringList{"Scheduled Check Finished (<date>)", ""};
  EXPECT_EQ(logLines(), expected);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].lines, (QStringList{"slow -- 3 New Items", "b -- 3 New Items", "d -- 3 New Items"}));
}

TEST_F(SchedulerRun, NoMoreDownloadsInFlightThanTheConcurrency) {
  // Two downloads at once. The first two feeds are held at the server: the
  // first is answered once the second has arrived, so the third request can
  // only leave after the first was answered (and logged); the second is
  // answered once the fourth has arrived, so the fourth left while the second
  // was still out, as soon as the third had been answered.
  QHash<QString, QString> logAtRequest;
  QList<ScheduleEntry> feeds;
  for (int i = 0; i < 4; ++i) {
    const QString name = QStringLiteral("f%1").arg(i + 1);
    server.route(QStringLiteral("/") + name, {.handler = [&, name, i](const TestHttpServer::Request&) {
                   logAtRequest.insert(name, logText());
                   if (name == QLatin1String("f2")) server.release(QStringLiteral("/f1"));
                   if (name == QLatin1String("f4")) server.release(QStringLiteral("/f2"));
                   return TestHttpServer::Response{.body = rssFeed(kThreeNewestFirst), .held = i < 2};
                 }});
    feeds << entry(name, server.url(QStringLiteral("/") + name));
  }
  scheduler->setConcurrency(2);
  ASSERT_TRUE(scheduler->RunScheduledCheck(feeds));
  const QString found = QStringLiteral("3 New Items found!");
  EXPECT_EQ(logAtRequest.value(QStringLiteral("f1")).count(found), 0);
  EXPECT_EQ(logAtRequest.value(QStringLiteral("f2")).count(found), 0);
  EXPECT_EQ(logAtRequest.value(QStringLiteral("f3")).count(found), 1);
  EXPECT_EQ(logAtRequest.value(QStringLiteral("f4")).count(found), 1);
  EXPECT_EQ(logText().count(found), 4);
}

TEST_F(SchedulerRun, UnchangedFeedAnswers304AndIsNotParsed) {
  const QByteArray etag = "\"v1\"";
  const QByteArray modified = "Fri, 04 Dec 2026 09:20:00 GMT";
  server.route(QStringLiteral("/feed.xml"), {.handler = [&](const TestHttpServer::Request& request) {
                 TestHttpServer::Response out;
                 if (request.header("If-None-Match") == etag) {
                   out.status = 304;
                   out.contentType.clear();
                   return out;
                 }
                 out.body = rssFeed(kThreeNewestFirst);
                 out.headers = {{"ETag", etag}, {"Last-Modified", modified}};
                 return out;
               }});
  const ScheduleEntry feed = entry(QStringLiteral("Feed"), server.url(QStringLiteral("/feed.xml")));
  ASSERT_TRUE(scheduler->RunScheduledCheck({feed}));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_TRUE(server.requests()[0].header("If-None-Match").isEmpty());
  EXPECT_EQ(store(feed).ReadCacheValidators(), (CacheValidators{etag, modified}));

  // The validators follow the elements readers know.
  pugi::xml_document document;
  ASSERT_TRUE(document.load_file(store(feed).path().toLocal8Bit().constData()));
  QStringList children;
  for (pugi::xml_node node : document.child("data").children()) children << QString::fromUtf8(node.name());
  EXPECT_EQ(children.first(), QStringLiteral("items"));
  EXPECT_EQ(children.indexOf(QStringLiteral("latest")), 1);
  EXPECT_EQ(children.size(), 3);

  const QByteArray before = home.read(QStringLiteral("Data/") + feed.feedId + QStringLiteral(".fdb"));
  QFile::remove(home.file(QStringLiteral("schedule.log")));
  notifier.shown.clear();
  ASSERT_TRUE(scheduler->RunScheduledCheck({feed}));
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(server.requests()[1].header("If-None-Match"), etag);
  EXPECT_EQ(server.requests()[1].header("If-Modified-Since"), modified);
  EXPECT_EQ(feedBlock(QStringLiteral("Feed")), block(QStringLiteral("Feed"), {"    No New Items found!", "    Done!"}));
  EXPECT_EQ(home.read(QStringLiteral("Data/") + feed.feedId + QStringLiteral(".fdb")), before);
  EXPECT_TRUE(notifier.shown.empty());

  // A store that lost its latest id asks for the whole feed again.
  ItemStore(store(feed).path()).UpdateLatestMarker(QString());
  ASSERT_TRUE(scheduler->RunScheduledCheck({feed}));
  ASSERT_EQ(server.requests().size(), 3u);
  EXPECT_TRUE(server.requests()[2].header("If-None-Match").isEmpty());
}

TEST_F(SchedulerRun, SecondRunIsRefusedWhileOneIsInProgress) {
  server.route(QStringLiteral("/feed.xml"), {.body = rssFeed(kThreeNewestFirst), .delayMs = 200});
  const ScheduleEntry feed = entry(QStringLiteral("Feed"), server.url(QStringLiteral("/feed.xml")));
  ASSERT_TRUE(scheduler->start({feed}));
  mScheduler other(home.paths(), settings, state);
  EXPECT_FALSE(other.start({feed}));
  EXPECT_FALSE(scheduler->RunScheduledCheck({feed}));
  QEventLoop loop;
  QObject::connect(scheduler.get(), &mScheduler::finished, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(logText().count(QStringLiteral("Scheduled Check Started")), 1);
  EXPECT_EQ(server.hits(QStringLiteral("/feed.xml")), 1);
}

}  // namespace
}  // namespace tidewell::test
