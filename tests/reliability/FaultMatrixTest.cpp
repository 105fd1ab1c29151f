// Every network fault the test server can inject, met by the three ways the
// program fetches a feed: the viewer's fetch (followed by the viewer's parse),
// the feed dialog's validation and the scheduled check. Each must end (no
// hang past its time limit, no crash), say what the program says for that
// fault, and leave the application folder's data files as they were.

#include "FaultBodies.h"

#include "core/Utilities.h"
#include "feeds/FeedFetch.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedValidation.h"
#include "feeds/ItemStore.h"
#include "feeds/ViewerCheck.h"
#include "scheduler/SchedulerState.h"
#include "scheduler/mScheduler.h"
#include "settings/mSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tidewell::test {
namespace {

constexpr int kTimeoutMs = 1200;

const QByteArray kFeed =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Faults</title>"
    "<item><title>b</title><link>http://example.invalid/b</link><pubDate>Fri, 04 Dec 2026 10:00:00 GMT</pubDate>"
    "<description>second</description></item>"
    "<item><title>a</title><link>http://example.invalid/a</link><pubDate>Thu, 03 Dec 2026 10:00:00 GMT</pubDate>"
    "<description>first</description></item></channel></rss>";

// The texts each fetch flavour produces for one kind of outcome: one
// failure, one message.
struct Outcome {
  QStringList viewerTitles;  // titles of the viewer's messages, in order
  QStringList checkTitles;   // the validation's
  QString logLine;           // the scheduled check's error line (a prefix), after "Request Sent ..."
};

const Outcome kTimedOut{{"Server Timeout!"},
                        {"Timeout Error!"},
                        "--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!"};
const Outcome kEmpty{
    {"Invalid Server Response!"}, {"Invalid Feed Data Format!"}, "--> Error: Server returned empty data stream!"};
const Outcome kBroken{{"Invalid Data Format!"},
                      {"Invalid Feed Data Format!"},
                      "-->Error: Server returned Feed data in invalid XML format!"};
const Outcome kRefused{
    {"Download Failed!"}, {"Download Failed!"}, "--> Error: Application failed to fetch Feed Data! "};

// Every byte the headers promised is not there, but the whole document is:
// what arrived goes to the parser like any answer, and nothing is new.
const Outcome kWholeDocument{{}, {}, "    No New Items found!"};

struct Fault {
  const char* name;
  std::function<void(TestHttpServer&)> arrange;  // routes "/feed.xml"
  Outcome outcome;
  // The unannounced stream must outlast the time-out long enough to pass the
  // body cap; every other fault ends within the short one.
  int timeoutMs = kTimeoutMs;
};

std::vector<Fault> faults() {
  const QByteArray gzipBomb = GzipOfZeros(qint64(2) << 30);
  return {
      {"stall before headers", [](TestHttpServer& s) { s.route("/feed.xml", {.stall = true}); }, kTimedOut},
      {"stall mid-body", [](TestHttpServer& s) { s.route("/feed.xml", {.body = kFeed, .stallAfterBytes = 100}); },
       kTimedOut},
      {"reset mid-body", [](TestHttpServer& s) { s.route("/feed.xml", {.body = kFeed, .resetAfterBytes = 100}); },
       kBroken},
      {"Content-Length longer than the body",
       [](TestHttpServer& s) { s.route("/feed.xml", {.body = kFeed, .contentLength = kFeed.size() + 500}); },
       kWholeDocument},
      {"Content-Length shorter than the body",
       [](TestHttpServer& s) { s.route("/feed.xml", {.body = kFeed, .contentLength = 120}); }, kBroken},
      {"chunk size not hexadecimal",
       [](TestHttpServer& s) { s.route("/feed.xml", {.chunked = true, .rawPayload = "zz\r\n<rss>\r\n0\r\n\r\n"}); },
       kEmpty},
      {"chunk longer than announced",
       [](TestHttpServer& s) {
         s.route("/feed.xml", {.chunked = true, .rawPayload = "10\r\n" + kFeed.left(200) + "\r\n0\r\n\r\n"});
       },
       kBroken},
      {"chunked body cut before its last chunk",
       [](TestHttpServer& s) {
         s.route("/feed.xml", {.chunked = true, .rawPayload = "64\r\n" + kFeed.left(100) + "\r\n"});
       },
       kBroken},
      {"1 GiB body announced", [](TestHttpServer& s) { s.route("/feed.xml", {.streamBytes = qint64(1) << 30}); },
       kRefused},
      {"1 GiB body without a length",
       [](TestHttpServer& s) { s.route("/feed.xml", {.streamBytes = qint64(1) << 30, .unannounced = true}); }, kRefused,
       60000},
      {"gzip bomb",
       [gzipBomb](TestHttpServer& s) {
         s.route("/feed.xml", {.body = gzipBomb, .headers = {{"Content-Encoding", "gzip"}}});
       },
       kBroken},
      {"redirect to a refusing address",
       [](TestHttpServer& s) {
         s.route("/feed.xml", {.redirectTo = TestHttpServer::refusingUrl("/feed.xml").toEncoded()});
       },
       kEmpty},
      {"redirect loop", [](TestHttpServer& s) { s.route("/feed.xml", {.redirectTo = "/feed.xml"}); }, kRefused},
      {"redirect ring of two",
       [](TestHttpServer& s) {
         s.route("/feed.xml", {.redirectTo = "/other.xml"});
         s.route("/other.xml", {.redirectTo = "/feed.xml"});
       },
       kRefused},
  };
}

// The application folder's files, by relative path; the log and the debug
// copy are the only files a failed fetch may write.
QMap<QString, QByteArray> snapshot(const QString& root) {
  QMap<QString, QByteArray> files;
  QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString name = QDir(root).relativeFilePath(path);
    if (name == "schedule.log" || name == "Debug.xml") continue;
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    files.insert(name, file.readAll());
  }
  return files;
}

class FaultMatrix : public ::testing::Test {
 protected:
  FaultMatrix() {
    QFile sample(TempHome::testDataDir() + "/feeddb/sample.fdb");
    sample.open(QIODevice::ReadOnly);
    home.write("feeds.fdb", sample.readAll());
    feed.caption = "Faulty";
    feed.url = server.url("/feed.xml").toString();
    feed.feedType = 0;
    feed.feedId = util::NewFeedID();
    // The store already holds the feed's items, so a fault has something to lose.
    const ParseResult parsed = ParseRssItems(kFeed);
    ItemStore(home.paths().itemStore(feed.feedId)).MergeNewItems(parsed.items, QString());
    settings.scheduleList = {feed};
    EXPECT_TRUE(settings.SaveSchedulerSettings(false).ok());
    before = snapshot(home.path());
  }

  void expectFilesUnchanged() { EXPECT_EQ(snapshot(home.path()), before); }

  // The viewer's check, merging into a store of its own so that the
  // scheduled run after it meets the fixture's store as it was.
  FeedCheckResult viewerCheck(ScriptedMessages& messages, int timeoutMs) {
    ViewerCheck check(
        &manager, [] { return true; }, messages, QStringLiteral("Tidewell"));
    FeedCheckRequest request;
    request.url = feed.url;
    request.storePath = viewerStore.filePath("viewer.fdb");
    request.debugXmlPath = home.file("Debug.xml");
    request.timeoutMs = timeoutMs;
    QSignalSpy finished(&check, &ViewerCheck::finished);
    EXPECT_TRUE(check.start(request));
    EXPECT_TRUE(finished.wait(30000));
    return finished.value(0).value(0).value<FeedCheckResult>();
  }

  QStringList viewerTitles(int timeoutMs) {
    ScriptedMessages messages;
    viewerCheck(messages, timeoutMs);
    return messages.titles();
  }

  QStringList checkTitles(int timeoutMs) {
    ScriptedMessages messages;
    CheckFeedRequest request;
    request.url = feed.url;
    request.timeoutMs = timeoutMs;
    request.isConnected = [] { return true; };
    request.manager = &manager;
    CheckFeed(request, messages);
    return messages.titles();
  }

  QStringList logLines(int timeoutMs = kTimeoutMs) {
    QFile::remove(home.file("schedule.log"));
    mScheduler scheduler(home.paths(), settings, state);
    scheduler.setConnectivityTest([] { return true; });
    scheduler.setTimeoutMs(timeoutMs);
    EXPECT_TRUE(scheduler.RunScheduledCheck());
    QStringList lines = QString::fromUtf8(home.read("schedule.log")).split("\r\n");
    const qsizetype sent = lines.indexOf(QString::fromLatin1(kLogRequestSent));
    return sent < 0 ? lines : lines.mid(sent + 1);
  }

  TempHome home;
  ScriptedMessages messages;
  mSettings settings{home.paths(), messages};
  SchedulerState state;
  QNetworkAccessManager manager;
  QTemporaryDir viewerStore;
  TestHttpServer server;
  ScheduleEntry feed;
  QMap<QString, QByteArray> before;
};

TEST_F(FaultMatrix, EveryFlavourMeetsEveryFaultWithItsMessageAndLosesNothing) {
  for (const Fault& fault : faults()) {
    SCOPED_TRACE(fault.name);
    fault.arrange(server);
    EXPECT_EQ(viewerTitles(fault.timeoutMs), fault.outcome.viewerTitles);
    EXPECT_EQ(checkTitles(fault.timeoutMs), fault.outcome.checkTitles);
    const QStringList lines = logLines(fault.timeoutMs);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
      return line.startsWith(fault.outcome.logLine);
    })) << lines.join('|').toStdString();
    EXPECT_EQ(lines.filter("Scheduled Check Finished").size(), 1);
    expectFilesUnchanged();
  }
}

// A body whose bytes contradict its declared charset is not a fault to give
// up on: the declaration is believed, the bytes that are not UTF-8 read as
// replacement characters, and the new item is added after the stored ones.
TEST_F(FaultMatrix, BodyContradictingItsCharsetIsReadWithoutLoss) {
  for (const QByteArray& contentType : {QByteArray("text/xml; charset=utf-8"), QByteArray("text/xml")}) {
    SCOPED_TRACE(contentType.constData());
    server.route("/feed.xml", {.body = MislabelledFeed(), .contentType = contentType});
    ScriptedMessages viewer;
    QFile::remove(viewerStore.filePath("viewer.fdb"));
    const FeedCheckResult result = viewerCheck(viewer, kTimeoutMs);
    EXPECT_TRUE(viewer.empty()) << viewer.titles().join('|').toStdString();
    ASSERT_EQ(result.parsedCount, 1);
    ASSERT_EQ(result.merge.addedItems.size(), 1u);
    EXPECT_EQ(result.merge.addedItems[0].title, QString("Cr\uFFFDme br\uFFFDl\uFFFDe"));

    ScriptedMessages check;
    CheckFeedRequest validation;
    validation.url = feed.url;
    validation.timeoutMs = kTimeoutMs;
    validation.isConnected = [] { return true; };
    validation.manager = &manager;
    const FeedDetection detection = CheckFeed(validation, check);
    EXPECT_EQ(detection.type, 0);
    EXPECT_EQ(detection.title, QString("Caf\uFFFD"));
    EXPECT_TRUE(check.empty());
  }
  const QStringList lines = logLines();
  EXPECT_EQ(lines.value(0), "    Parsing Feed content ...");
  EXPECT_EQ(lines.value(1), "    1 New Items found!");
  // The new item was appended to what was there: the old items are intact.
  ScriptedMessages load;
  const std::optional<StoredItems> stored = ItemStore(home.paths().itemStore(feed.feedId)).LoadStoredItems(load);
  ASSERT_TRUE(stored.has_value());
  ASSERT_EQ(stored->items.size(), 3u);
  EXPECT_EQ(stored->items[0].title, "a");
  EXPECT_EQ(stored->items[1].title, "b");
}

}  // namespace
}  // namespace tidewell::test
