#include "core/clsMD5.h"
#include "feeds/ItemIndex.h"
#include "feeds/ItemStore.h"
#include "support/CliRunner.h"
#include "support/TempHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::CliRun;
using test::runCli;
using test::TempHome;

const QString kGazette = QStringLiteral("11111111-0000-0000-0000-000000000001");
const QString kPilot = QStringLiteral("11111111-0000-0000-0000-000000000002");
const QString kRadio = QStringLiteral("11111111-0000-0000-0000-000000000003");

FeedItem item(const QString& title, const QString& body, const QString& day) {
  FeedItem it;
  it.title = title;
  it.description = body;
  it.link = QStringLiteral("http://example.org/") + title;
  it.id = clsMD5().GetMD5(it.link);
  it.day = day;
  it.month = QStringLiteral("Jan");
  it.year = QStringLiteral("2026");
  it.time = QStringLiteral("08:00:00");
  return it;
}

QString idOf(const QString& title) { return clsMD5().GetMD5(QStringLiteral("http://example.org/") + title); }

class ReadingCli : public ::testing::Test {
 protected:
  void SetUp() override {
    home.write(QStringLiteral("feeds.fdb"),
               "<categories><category name=\"News\"><feed name=\"Coastal Gazette\" type=\"0\" id=\"" +
                   kGazette.toUtf8() + "\">http://127.0.0.1:1/g</feed><feed name=\"Pilot\" type=\"1\" id=\"" +
                   kPilot.toUtf8() +
                   "\">http://127.0.0.1:1/p</feed></category><category name=\"Audio\"><feed "
                   "name=\"Radio\" type=\"2\" id=\"" +
                   kRadio.toUtf8() + "\">http://127.0.0.1:1/r</feed></category></categories>");
    merge(kGazette, {item(QStringLiteral("Harbour works"), QStringLiteral("<p>The <i>quay</i> is closed</p>"),
                          QStringLiteral("03")),
                     item(QStringLiteral("Élection"), QStringLiteral("Town council vote"), QStringLiteral("02")),
                     item(QStringLiteral("Weather"), QStringLiteral("Fog over the quay"), QStringLiteral("01"))});
    merge(kPilot, {item(QStringLiteral("Pilot boat"), QStringLiteral("New quay for pilots"), QStringLiteral("05"))});
    // Radio has never stored anything.
  }
  void merge(const QString& feed, const FeedItems& items) {
    const ItemStore store(home.paths().itemStore(feed));
    store.MergeNewItems(items, store.ReadLatestId());
  }
  CliRun cli(const QStringList& args) { return runCli(QStringList{QStringLiteral("--home"), home.path()} + args); }
  QJsonObject unread() {
    const CliRun run = cli({QStringLiteral("unread"), QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).object();
  }
  // "name:unread/total" for every feed and category, in tree order.
  QStringList summary() {
    const QJsonObject root = unread();
    QStringList out{QStringLiteral("all:%1/%2")
                        .arg(root[QStringLiteral("unread")].toInt())
                        .arg(root[QStringLiteral("total")].toInt())};
    for (const QJsonValue& c : root[QStringLiteral("categories")].toArray()) {
      out << QStringLiteral("%1:%2/%3")
                 .arg(c[QStringLiteral("name")].toString())
                 .arg(c[QStringLiteral("unread")].toInt())
                 .arg(c[QStringLiteral("total")].toInt());
    }
    for (const QJsonValue& f : root[QStringLiteral("feeds")].toArray()) {
      out << QStringLiteral("%1[%2]:%3/%4")
                 .arg(f[QStringLiteral("name")].toString(), f[QStringLiteral("category")].toString())
                 .arg(f[QStringLiteral("unread")].toInt())
                 .arg(f[QStringLiteral("total")].toInt());
    }
    return out;
  }
  QStringList searchTitles(const QStringList& args) {
    const CliRun run = cli(QStringList{QStringLiteral("search")} + args);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList titles;
    for (const QByteArray& line : run.out.split('\n')) {
      if (!line.isEmpty()) titles << QJsonDocument::fromJson(line).object()[QStringLiteral("title")].toString();
    }
    return titles;
  }

  TempHome home;
};

TEST_F(ReadingCli, UnreadAndMarkRead) {
  // Categories in the tree's order (alphabetical), feeds in file order.
  EXPECT_EQ(summary(), (QStringList{"all:4/4", "Audio:0/0", "News:4/4", "Radio[Audio]:0/0", "Coastal Gazette[News]:3/3",
                                    "Pilot[News]:1/1"}));
  const QJsonObject feed = unread()[QStringLiteral("feeds")].toArray()[1].toObject();
  EXPECT_EQ(feed[QStringLiteral("id")].toString(), kGazette);

  CliRun run = cli({QStringLiteral("unread")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.startsWith("Subscribed Feeds  4 unread of 4\n")) << run.out.toStdString();

  run = cli({QStringLiteral("mark-read"), kPilot});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, "1 items marked as read\n");
  EXPECT_EQ(summary().mid(0, 3), (QStringList{"all:3/4", "Audio:0/0", "News:3/4"}));
  run = cli({QStringLiteral("mark-read"), QStringLiteral("--category"), QStringLiteral("news")});
  EXPECT_EQ(run.out, "3 items marked as read\n");
  EXPECT_TRUE(home.read(QStringLiteral("Data/") + kGazette + QStringLiteral(".fdb")).contains("status=\"1\""));
  EXPECT_FALSE(home.read(QStringLiteral("Data/") + kGazette + QStringLiteral(".fdb")).contains("status=\"0\""));
  EXPECT_EQ(summary()[0], QStringLiteral("all:0/4"));

  merge(kGazette, {item(QStringLiteral("Late news"), QString(), QStringLiteral("09"))});
  EXPECT_EQ(summary()[0], QStringLiteral("all:1/5"));  // a store changed behind the index
  run = cli({QStringLiteral("mark-read"), QStringLiteral("--all")});
  EXPECT_EQ(run.out, "1 items marked as read\n");
  EXPECT_EQ(summary()[0], QStringLiteral("all:0/5"));

  struct Bad {
    QStringList args;
    int exitCode;
  };
  const Bad bad[] = {
      {{QStringLiteral("mark-read")}, 2},
      {{QStringLiteral("mark-read"), kPilot, QStringLiteral("--all")}, 2},
      {{QStringLiteral("mark-read"), QStringLiteral("--category")}, 2},
      {{QStringLiteral("mark-read"), QStringLiteral("NOT-A-FEED")}, 1},
      {{QStringLiteral("mark-read"), QStringLiteral("--category"), QStringLiteral("Nope")}, 1},
      {{QStringLiteral("unread"), QStringLiteral("--xml")}, 2},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.args.join(QLatin1Char(' ')).toStdString());
    EXPECT_EQ(cli(b.args).exitCode, b.exitCode);
  }
}

TEST_F(ReadingCli, StarAndItems) {
  CliRun run = cli({QStringLiteral("star"), kGazette, idOf(QStringLiteral("Weather"))});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  run = cli({QStringLiteral("items"), kGazette});
  const QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 3);
  for (const QByteArray& line : lines) {
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_TRUE(object[QStringLiteral("starred")].isBool()) << line.toStdString();
    EXPECT_EQ(object[QStringLiteral("starred")].toBool(),
              object[QStringLiteral("title")].toString() == QLatin1String("Weather"));
  }
  EXPECT_EQ(searchTitles({QStringLiteral("--starred")}), QStringList{QStringLiteral("Weather")});

  run = cli({QStringLiteral("star"), QStringLiteral("--off"), kGazette, idOf(QStringLiteral("Weather"))});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(home.read(QStringLiteral("Data/") + kGazette + QStringLiteral(".fdb")).contains("starred"));
  EXPECT_TRUE(searchTitles({QStringLiteral("--starred")}).isEmpty());

  EXPECT_EQ(cli({QStringLiteral("star"), kGazette, QStringLiteral("0123")}).exitCode, 1);
  EXPECT_EQ(cli({QStringLiteral("star"), QStringLiteral("NOT-A-FEED"), QStringLiteral("0123")}).exitCode, 1);
  EXPECT_EQ(cli({QStringLiteral("star"), kGazette}).exitCode, 2);
}

TEST_F(ReadingCli, Search) {
  struct Case {
    QStringList args;
    QStringList titles;
  };
  const Case cases[] = {
      {{QStringLiteral("QUAY")},
       {QStringLiteral("Pilot boat"), QStringLiteral("Harbour works"), QStringLiteral("Weather")}},
      {{QStringLiteral("quay"), QStringLiteral("closed")}, {QStringLiteral("Harbour works")}},
      {{QStringLiteral("election")}, {QStringLiteral("Élection")}},
      {{QStringLiteral("--feed"), kGazette, QStringLiteral("quay")},
       {QStringLiteral("Harbour works"), QStringLiteral("Weather")}},
      {{QStringLiteral("--limit"), QStringLiteral("1"), QStringLiteral("quay")}, {QStringLiteral("Pilot boat")}},
      {{QStringLiteral("p")}, {}},  // the <p> tag is no word
      {{QStringLiteral("lighthouse")}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
    EXPECT_EQ(searchTitles(c.args), c.titles);
  }
  const CliRun run = cli({QStringLiteral("search"), QStringLiteral("closed")});
  EXPECT_EQ(run.out, "{\"feed\":\"" + kGazette.toUtf8() + "\",\"id\":\"" +
                         idOf(QStringLiteral("Harbour works")).toUtf8() +
                         "\",\"title\":\"Harbour works\",\"datekey\":\"20260103080000\"}\n");
  for (const QStringList& bad :
       {QStringList{}, QStringList{QStringLiteral("--limit"), QStringLiteral("x"), QStringLiteral("a")},
        QStringList{QStringLiteral("--bogus"), QStringLiteral("a")}}) {
    EXPECT_EQ(cli(QStringList{QStringLiteral("search")} + bad).exitCode, 2);
  }
}

// The index file is derived: a missing one is built without a word, a
// damaged one is replaced with a note, and the answers stay the same.
TEST_F(ReadingCli, MissingOrDamagedIndex) {
  CliRun run = cli({QStringLiteral("unread"), QStringLiteral("--json")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
  const QByteArray expected = run.out;
  ASSERT_TRUE(QFile::exists(home.file(ItemIndex::fileName())));

  home.write(ItemIndex::fileName(), "this is not a database, it is a note about one");
  run = cli({QStringLiteral("unread"), QStringLiteral("--json")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, expected);
  EXPECT_TRUE(run.err.contains("damaged")) << run.err.toStdString();

  QFile::remove(home.file(ItemIndex::fileName()));
  run = cli({QStringLiteral("search"), QStringLiteral("fog")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("\"title\":\"Weather\""));
}

}  // namespace
}  // namespace tidewell
