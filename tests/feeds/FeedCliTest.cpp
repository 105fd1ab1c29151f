#include "core/clsMD5.h"
#include "feeds/ItemStore.h"
#include "support/CliRunner.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QDir>
#include <QEventLoop>
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

TEST(FeedCli, ParsePrintsOneJsonObjectPerItem) {
  for (const char* name : {"rss-podcast", "atom-blog", "rss-windows-1252"}) {
    SCOPED_TRACE(name);
    const QString xml =
        TempHome::testDataDir() + QStringLiteral("/feeds/") + QString::fromLatin1(name) + QStringLiteral(".xml");
    const CliRun run = runCli({QStringLiteral("parse"), xml});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, fixture(QString::fromLatin1(name) + QStringLiteral(".jsonl")));
  }
  // Standard input, and a type forced against the document.
  CliRun run = runCli({QStringLiteral("parse"), QStringLiteral("--type"), QStringLiteral("atom"), QStringLiteral("-")},
                      fixture(QStringLiteral("atom-blog.xml")));
  EXPECT_EQ(run.out, fixture(QStringLiteral("atom-blog.jsonl")));
  run = runCli({QStringLiteral("parse"), QStringLiteral("--type"), QStringLiteral("rss"), QStringLiteral("-")},
               fixture(QStringLiteral("atom-blog.xml")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "Error: Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not "
            "well-formed.\n");
  EXPECT_TRUE(run.out.isEmpty());
  run = runCli({QStringLiteral("parse"), QStringLiteral("-")}, "<rss><channel>");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error: Server returned Feed data in invalid XML format!\n");
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

  home.write(QStringLiteral("Data/") + id + QStringLiteral(".fdb"), "<data/>");
  run = runCli(base + QStringList{QStringLiteral("items"), id});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Invalid File format!: Application failed to access Records in Feed Data file!\n");
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
      EXPECT_TRUE(allowedErrors.contains(run.err)) << run.err.toStdString();
      continue;
    }
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    for (const QByteArray& line : run.out.split('\n')) {
      if (line.isEmpty()) continue;
      QJsonParseError error;
      const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
      ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
      EXPECT_EQ(object.size(), 10);
      const QString key = object.value(QStringLiteral("datekey")).toString();
      EXPECT_TRUE(key.isEmpty() || key.size() == 14) << key.toStdString();
    }
    if (!run.out.isEmpty()) ++withItems;
  }
  EXPECT_GT(withItems, files.size() / 2);
}

}  // namespace
}  // namespace tidewell
