#include "core/clsMD5.h"
#include "feeds/ItemStore.h"
#include "support/CliRunner.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::CliRun;
using test::runCli;
using test::TempHome;
using test::TestHttpServer;

QByteArray fixture(const QString& name) {
  QFile file(TempHome::testDataDir() + QStringLiteral("/feeds/") + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The items of a feed's expected file, against which the tool's JSON lines are
// compared (the parse itself is checked in-process by the golden-file test).
QJsonArray expectedItems(const QString& name) {
  return QJsonDocument::fromJson(fixture(name + QStringLiteral(".expected.json")))
      .object()
      .value(QStringLiteral("items"))
      .toArray();
}

// A home without the shipped feeds, subscribed to the RSS 1.0 fixture served
// at /rdf.xml under News by add-feed; the new feed's id.
QString subscribeRss10(const TempHome& home, TestHttpServer& server) {
  home.write(QStringLiteral("feeds.fdb"), "<categories/>");
  server.route(QStringLiteral("/rdf.xml"), {.body = fixture(QStringLiteral("rss10-dc-date.xml"))});
  const CliRun run =
      runCli({QStringLiteral("--home"), home.path(), QStringLiteral("add-feed"),
              server.url(QStringLiteral("/rdf.xml")).toString(), QStringLiteral("--category"), QStringLiteral("News")});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  return QString::fromUtf8(run.out).trimmed();
}

QJsonArray jsonLines(const QByteArray& out) {
  QJsonArray lines;
  for (const QByteArray& line : out.split('\n')) {
    if (!line.isEmpty()) lines.append(QJsonDocument::fromJson(line).object());
  }
  return lines;
}

TEST(FeedCli, ParsePrintsOneJsonObjectPerItem) {
  // Each new source of a body, a date or a base has its case: content:encoded
  // and dc:date (rss-content-encoded, relative links against the channel's
  // link), summary only and XHTML with xml:base (atom-summary-xhtml), RSS 1.0
  // (rss10-dc-date), ATOM 0.3's issued/modified (atom03-dates).
  for (const char* name : {"rss-podcast", "atom-blog", "rss-windows-1252", "rss-content-encoded", "atom-summary-xhtml",
                           "rss10-dc-date", "atom03-dates"}) {
    SCOPED_TRACE(name);
    const QString xml =
        TempHome::testDataDir() + QStringLiteral("/feeds/") + QString::fromLatin1(name) + QStringLiteral(".xml");
    const CliRun run = runCli({QStringLiteral("parse"), xml});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("{\"title\":")) << "keys in their documented order";
    EXPECT_EQ(jsonLines(run.out), expectedItems(QString::fromLatin1(name)));
  }
  // The download address given: it beats the channel's link; xml:base beats it.
  CliRun based = runCli({QStringLiteral("parse"), QStringLiteral("--base"),
                         QStringLiteral("https://mirror.example/feeds/slack.xml"),
                         TempHome::testDataDir() + QStringLiteral("/feeds/rss-content-encoded.xml")});
  ASSERT_EQ(based.exitCode, 0) << based.err.toStdString();
  QJsonObject relative = QJsonDocument::fromJson(based.out.split('\n').value(2)).object();
  EXPECT_EQ(relative.value(QStringLiteral("link")).toString(),
            QStringLiteral("https://mirror.example/feeds/posts/relative.html"));
  EXPECT_EQ(relative.value(QStringLiteral("id")).toString(),
            clsMD5().GetMD5(QStringLiteral("https://mirror.example/feeds/posts/relative.html")));
  EXPECT_TRUE(relative.value(QStringLiteral("content"))
                  .toString()
                  .startsWith(QStringLiteral("<p><img src=\"https://mirror.example/img/chart.png\"")));
  based = runCli({QStringLiteral("parse"), QStringLiteral("--base"), QStringLiteral("https://mirror.example/x.atom"),
                  TempHome::testDataDir() + QStringLiteral("/feeds/atom-summary-xhtml.xml")});
  EXPECT_EQ(jsonLines(based.out), expectedItems(QStringLiteral("atom-summary-xhtml")));
  EXPECT_EQ(
      runCli({QStringLiteral("parse"), QStringLiteral("--base"), QStringLiteral("relative/only"), QStringLiteral("-")})
          .exitCode,
      2);

  // Standard input, and a type forced against the document.
  CliRun run = runCli({QStringLiteral("parse"), QStringLiteral("--type"), QStringLiteral("atom"), QStringLiteral("-")},
                      fixture(QStringLiteral("atom-blog.xml")));
  EXPECT_EQ(jsonLines(run.out), expectedItems(QStringLiteral("atom-blog")));
  run = runCli({QStringLiteral("parse"), QStringLiteral("--type"), QStringLiteral("rss"), QStringLiteral("-")},
               fixture(QStringLiteral("atom-blog.xml")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "Error: Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not "
            "well-formed.\n");
  EXPECT_TRUE(run.out.isEmpty());
  run = runCli({QStringLiteral("parse"), QStringLiteral("-")}, "<rss><channel>");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "Error: Server returned Feed data in invalid XML format!\n"
            "tidewell-cli: parse: Start-end tags mismatch at byte 13\n");
  run = runCli({QStringLiteral("parse"), QStringLiteral("-")}, "");
  EXPECT_EQ(run.err, "Error: Server returned empty data stream!\n");
  run = runCli({QStringLiteral("parse"), QStringLiteral("--type"), QStringLiteral("json"), QStringLiteral("x")});
  EXPECT_EQ(run.exitCode, 2);
  run = runCli({QStringLiteral("parse")});
  EXPECT_EQ(run.exitCode, 2);
}

TEST(FeedCli, AddFeedValidatesAndItemsLists) {
  TempHome home;
  TestHttpServer server;
  server.route(QStringLiteral("/pod.xml"), {.body = fixture(QStringLiteral("rss-podcast.xml"))});
  server.route(QStringLiteral("/page"), {.body = "<html><body>hello</body></html>"});
  const QStringList base = {QStringLiteral("--home"), home.path()};

  CliRun run = runCli(base + QStringList{QStringLiteral("add-feed"), server.url(QStringLiteral("/pod.xml")).toString(),
                                         QStringLiteral("--category"), QStringLiteral("Podcasts")});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QString id = QString::fromUtf8(run.out).trimmed();
  EXPECT_EQ(id.size(), 36);
  const QByteArray db = home.read(QStringLiteral("feeds.fdb"));
  EXPECT_TRUE(db.contains("<category name=\"Podcasts\">")) << db.toStdString();
  EXPECT_TRUE(db.contains("name=\"Harbour Hours\" type=\"2\" id=\"" + id.toUtf8() + "\"")) << db.toStdString();

  run = runCli(base + QStringList{QStringLiteral("add-feed"), server.url(QStringLiteral("/pod.xml")).toString(),
                                  QStringLiteral("--category"), QStringLiteral("Podcasts"), QStringLiteral("--name"),
                                  QStringLiteral("Mine")});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(QString::fromUtf8(run.out).trimmed(), id);  // the same URL twice: two feeds
  EXPECT_TRUE(home.read(QStringLiteral("feeds.fdb")).contains("name=\"Mine\" type=\"2\""));

  run = runCli(base + QStringList{QStringLiteral("add-feed"), server.url(QStringLiteral("/page")).toString(),
                                  QStringLiteral("--category"), QStringLiteral("Other")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.startsWith("Feed Type Not Supported!: ")) << run.err.toStdString();
  EXPECT_FALSE(home.read(QStringLiteral("feeds.fdb")).contains("Other"));
  run = runCli(base + QStringList{QStringLiteral("add-feed"), QStringLiteral("http://x")});
  EXPECT_EQ(run.exitCode, 2);

  // items: the store's items in file order.
  const ItemStore store(home.paths().itemStore(id));
  FeedItem first;
  first.title = QStringLiteral("First \"one\"");
  first.link = QStringLiteral("http://harbour.example/1");
  first.id = clsMD5().GetMD5(first.link);
  first.day = QStringLiteral("07");
  first.month = QStringLiteral("Sep");
  first.year = QStringLiteral("2002");
  first.time = QStringLiteral("00:00:01");
  first.media = QStringLiteral("http://harbour.example/1.mp3");
  store.AddItemToStore(first);
  FeedItem second;
  second.title = QStringLiteral("Second");
  store.AddItemToStore(second);
  run = runCli(base + QStringList{QStringLiteral("items"), id});
  EXPECT_EQ(run.exitCode, 0);
  const QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0],
            "{\"id\":\"" + first.id.toUtf8() +
                "\",\"status\":\"0\",\"title\":\"First \\\"one\\\"\",\"link\":\"http://harbour.example/1\","
                "\"date\":\"2002-Sep-07T00:00:01\",\"media\":\"http://harbour.example/1.mp3\",\"starred\":false}");
  EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value(QStringLiteral("date")).toString(), QStringLiteral("--T"));

  // The enclosure of a stored item, saved through the command.
  const QByteArray audio = QByteArray("ID3").repeated(500);
  server.route(QStringLiteral("/1.mp3"), {.body = audio, .contentType = "audio/mpeg"});
  FeedItem episode;
  episode.title = QStringLiteral("Episode");
  episode.link = QStringLiteral("http://harbour.example/ep");
  episode.id = clsMD5().GetMD5(episode.link);
  episode.media = server.url(QStringLiteral("/1.mp3")).toString();
  store.AddItemToStore(episode);
  const QString saved = home.file(QStringLiteral("ep.mp3"));
  run = runCli(base + QStringList{QStringLiteral("download-enclosure"), id, episode.id, saved});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(home.read(QStringLiteral("ep.mp3")), audio);
  EXPECT_EQ(QJsonDocument::fromJson(run.out).object().value(QStringLiteral("bytes")).toString(),
            QString::number(audio.size()));
  run = runCli(base + QStringList{QStringLiteral("download-enclosure"), id, second.id, saved});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(runCli(base + QStringList{QStringLiteral("download-enclosure"), id}).exitCode, 2);

  home.write(QStringLiteral("Data/") + id + QStringLiteral(".fdb"), "<data/>");
  run = runCli(base + QStringList{QStringLiteral("items"), id});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Invalid File format!: Application failed to access Records in Feed Data file!\n");
}

// An RSS 1.0 feed: subscribed as RSS and checked like any other, its relative
// links resolved against the address it was downloaded from. Then its
// retention: chosen, shown and applied.
TEST(FeedCli, Rss10FeedIsCheckedAndPrunedByItsRetention) {
  TempHome home;
  TestHttpServer server;
  const QString id = subscribeRss10(home, server);
  ASSERT_FALSE(id.isEmpty());
  const QStringList base = {QStringLiteral("--home"), home.path()};
  EXPECT_TRUE(home.read(QStringLiteral("feeds.fdb")).contains("name=\"Estuary Wire\" type=\"0\""));
  CliRun run = runCli(base + QStringList{QStringLiteral("check"), id});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  run = runCli(base + QStringList{QStringLiteral("items"), id});
  QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
  EXPECT_TRUE(lines[0].contains("\"title\":\"First story\""));
  EXPECT_TRUE(lines[0].contains("\"date\":\"2026-Dec-07T23:00:00\""));
  EXPECT_TRUE(lines[1].contains("\"link\":\"http://estuary.example/news/2\""));

  // Unread items stay unless asked; the feed's own choice beats the default.
  EXPECT_EQ(runCli(base + QStringList{QStringLiteral("retention"), QStringLiteral("set"), QStringLiteral("--all"),
                                      QStringLiteral("--keep"), QStringLiteral("1")})
                .exitCode,
            0);
  run = runCli(base + QStringList{QStringLiteral("prune")});
  EXPECT_EQ(run.out, "{\"id\":\"" + id.toUtf8() + "\",\"removed\":0}\n");
  EXPECT_EQ(runCli(base + QStringList{QStringLiteral("retention"), QStringLiteral("set"), id, QStringLiteral("--keep"),
                                      QStringLiteral("1"), QStringLiteral("--include-unread")})
                .exitCode,
            0);
  run = runCli(base + QStringList{QStringLiteral("retention"), QStringLiteral("show")});
  lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(QJsonDocument::fromJson(lines[0]).object(),
            (QJsonObject{{"scope", "default"}, {"keep", 1}, {"days", 0}, {"include_unread", false}}));
  EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object(), (QJsonObject{{"scope", "feed"},
                                                                     {"id", id},
                                                                     {"name", "Estuary Wire"},
                                                                     {"own", true},
                                                                     {"keep", 1},
                                                                     {"days", 0},
                                                                     {"include_unread", true}}));
  run = runCli(base + QStringList{QStringLiteral("prune"), id});
  EXPECT_EQ(run.out, "{\"id\":\"" + id.toUtf8() + "\",\"removed\":1}\n");
  run = runCli(base + QStringList{QStringLiteral("items"), id});
  EXPECT_EQ(run.out.count('\n'), 1);
  EXPECT_TRUE(run.out.contains("Second story"));
  // The next check does not bring the removed item back.
  run = runCli(base + QStringList{QStringLiteral("check"), id});
  EXPECT_EQ(runCli(base + QStringList{QStringLiteral("items"), id}).out.count('\n'), 1);

  for (const QStringList& bad :
       {QStringList{QStringLiteral("retention")}, QStringList{QStringLiteral("retention"), QStringLiteral("set")},
        QStringList{QStringLiteral("retention"), QStringLiteral("set"), id, QStringLiteral("--all")},
        QStringList{QStringLiteral("retention"), QStringLiteral("set"), id, QStringLiteral("--keep"),
                    QStringLiteral("-3")},
        QStringList{QStringLiteral("prune"), QStringLiteral("--now")}}) {
    EXPECT_EQ(runCli(base + bad).exitCode, 2) << bad.join(' ').toStdString();
  }
  run = runCli(base + QStringList{QStringLiteral("retention"), QStringLiteral("set"), QStringLiteral("NO-SUCH-FEED")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "tidewell-cli: retention: no feed has the id NO-SUCH-FEED\n");
}

// A feed's own remote pictures choice: set, shown beside the setting, and
// handed back to the setting.
TEST(FeedCli, PicturesChoicePerFeed) {
  TempHome home;
  TestHttpServer server;
  const QString id = subscribeRss10(home, server);
  ASSERT_FALSE(id.isEmpty());
  const QStringList base = {QStringLiteral("--home"), home.path()};
  const auto feedLine = [&] {
    const CliRun shown = runCli(base + QStringList{QStringLiteral("pictures"), QStringLiteral("show")});
    const QList<QByteArray> lines = shown.out.trimmed().split('\n');
    EXPECT_EQ(QJsonDocument::fromJson(lines.value(0)).object(), (QJsonObject{{"scope", "default"}, {"load", true}}));
    return QJsonDocument::fromJson(lines.value(1)).object();
  };
  const QJsonObject feed{{"scope", "feed"}, {"id", id}, {"name", "Estuary Wire"}};
  struct Step {
    const char* choice;
    bool load;
    bool own;
  };
  for (const Step& step : {Step{"off", false, true}, Step{"on", true, true}, Step{"default", true, false}}) {
    SCOPED_TRACE(step.choice);
    EXPECT_EQ(runCli(base + QStringList{QStringLiteral("pictures"), QStringLiteral("set"), id,
                                        QString::fromLatin1(step.choice)})
                  .exitCode,
              0);
    QJsonObject expected = feed;
    expected.insert("load", step.load);
    expected.insert("own", step.own);
    EXPECT_EQ(feedLine(), expected);
  }
  EXPECT_EQ(runCli(base + QStringList{QStringLiteral("pictures"), QStringLiteral("set"), id, QStringLiteral("maybe")})
                .exitCode,
            2);
  const CliRun run = runCli(base + QStringList{QStringLiteral("pictures"), QStringLiteral("set"),
                                               QStringLiteral("NO-SUCH-FEED"), QStringLiteral("off")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "tidewell-cli: pictures: no feed has the id NO-SUCH-FEED\n");
}

// Real-world feeds of every vintage: each gives items or one of the parser's
// errors, without a crash, a hang or a sanitizer report.
TEST(FeedCli, ParseHandlesEveryCorpusFeed) {
  const QDir corpus(TempHome::corpusDir());
  const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
  if (files.isEmpty()) GTEST_SKIP() << "no corpus at " << corpus.path().toStdString();
  const QList<QByteArray> allowedErrors = {
      "Error: Server returned empty data stream!\n",
      "Error: Server returned Feed data in invalid XML format!\n",
      "Error: Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not well-formed.\n",
      "Error: Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not well-formed.\n",
  };
  int withItems = 0;
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    const CliRun run = runCli({QStringLiteral("parse"), corpus.filePath(name)}, {}, 30000);
    ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.err.toStdString();
    if (run.exitCode == 1) {
      // The parser's error, and for a document that is not XML where it stopped.
      const QByteArray error = run.err.left(run.err.indexOf('\n') + 1);
      EXPECT_TRUE(allowedErrors.contains(error)) << run.err.toStdString();
      const QByteArray rest = run.err.mid(error.size());
      if (error == allowedErrors[1]) {
        EXPECT_TRUE(rest.startsWith("tidewell-cli: parse: ") && rest.contains(" at byte ")) << rest.toStdString();
      } else {
        EXPECT_TRUE(rest.isEmpty()) << rest.toStdString();
      }
      continue;
    }
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    for (const QByteArray& line : run.out.split('\n')) {
      if (line.isEmpty()) continue;
      QJsonParseError error;
      const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
      ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
      EXPECT_EQ(object.size(), 11);
      const QString key = object.value(QStringLiteral("datekey")).toString();
      EXPECT_TRUE(key.isEmpty() || key.size() == 14) << key.toStdString();
    }
    if (!run.out.isEmpty()) ++withItems;
  }
  EXPECT_GT(withItems, files.size() / 2);
}

}  // namespace
}  // namespace tidewell
