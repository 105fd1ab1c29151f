#include "FeedDbFixture.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace tidewell::test {
namespace {

struct CliRun {
  int exitCode = -1;
  QString out;
  QString err;
};

class CliRoundTrip : public FeedDbFixture {
 protected:
  CliRun cli(const QStringList& args) {
    QProcess process;
    process.setProgram(TempHome::binDir() + QStringLiteral("/tidewell-cli"));
    process.setArguments(QStringList{QStringLiteral("--home"), home.path()} + args);
    process.start();
    EXPECT_TRUE(process.waitForFinished(30000)) << str(args.join(' '));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
  }

  QJsonObject listJson() {
    const CliRun run = cli({"list", "--json"});
    EXPECT_EQ(run.exitCode, 0) << str(run.err);
    EXPECT_EQ(run.out.count('\n'), 1) << "one JSON object on one line";
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
  }

  // The feed ids of the category, in order.
  QStringList feedIds(const QString& category) {
    for (const auto& value : listJson()["categories"].toArray()) {
      const QJsonObject object = value.toObject();
      if (object["name"].toString() != category) continue;
      QStringList ids;
      for (const auto& feed : object["feeds"].toArray()) ids << feed.toObject()["id"].toString();
      return ids;
    }
    return {"<no such category>"};
  }
};

const QString kVerge = QStringLiteral("796A7FE4-E719-4830-814F-EBFCC521DFF1");
const QString kBbc = QStringLiteral("330B0EE3-1D99-4938-ACCE-30808E2C6945");

// A new folder starts with the shipped feeds whichever program comes first,
// and a database that exists, even an empty one, is never replaced.
TEST_F(CliRoundTrip, ANewFolderStartsWithTheShippedFeeds) {
  QFile shipped(TempHome::binDir() + QStringLiteral("/default.fdb"));
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QByteArray defaults = shipped.readAll();
  for (const char* command : {"list", "unread"}) {  // the full program and the front
    SCOPED_TRACE(command);
    TempHome fresh;
    QProcess process;
    process.start(TempHome::binDir() + QStringLiteral("/tidewell-cli"),
                  {QStringLiteral("--home"), fresh.path(), QString::fromLatin1(command)});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(fresh.read(QStringLiteral("feeds.fdb")), defaults);
    EXPECT_TRUE(QFileInfo(fresh.file(QStringLiteral("feeds.fdb"))).isWritable());
    EXPECT_TRUE(QFileInfo(fresh.file(QStringLiteral("Data"))).isDir());
  }
  useBytes("<categories/>");
  EXPECT_EQ(cli({"list"}).out, "Subscribed Feeds\n");
  EXPECT_EQ(dbText(), "<categories/>");
}

TEST_F(CliRoundTrip, CategoriesFromAnEmptyDatabase) {
  useBytes("<categories/>");
  CliRun run = cli({"list"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "Subscribed Feeds\n");

  EXPECT_EQ(cli({"add-category", "Tech"}).exitCode, 0);
  EXPECT_EQ(cli({"add-category", "Arts & Crafts"}).exitCode, 0);
  run = cli({"add-category", "   "});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Category Name?: Please specify Name of Category.\n");

  run = cli({"list"});
  EXPECT_EQ(run.out, "Subscribed Feeds\n  Arts & Crafts\n  Tech\n");

  run = cli({"rename-category", "tech", "ARTS & CRAFTS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Category Exists!: Category with same Name already exists. Try some other Category Name ...\n");
  EXPECT_EQ(cli({"rename-category", "tech", "TECH"}).exitCode, 1);  // unchanged name: nothing written
  EXPECT_EQ(cli({"rename-category", "tech", "Technology"}).exitCode, 0);
  run = cli({"rename-category", "Gone", "Here"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.startsWith("Alert!: Application failed to access Category named \"Gone\"")) << str(run.err);

  EXPECT_EQ(cli({"delete-category", "technology"}).exitCode, 0);
  run = cli({"delete-category", "technology"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("technology")) << str(run.err);
  EXPECT_EQ(dbText(), "<categories><category name=\"Arts &amp; Crafts\"/></categories>");
}

TEST_F(CliRoundTrip, MovingAndDeletingFeeds) {
  useFixture("sample.fdb");
  const QJsonObject all = listJson();
  const QJsonArray cats = all["categories"].toArray();
  ASSERT_EQ(cats.size(), 4);
  EXPECT_EQ(cats[3]["name"].toString(), "Technology");
  EXPECT_EQ(
      cats[3]["feeds"][1].toObject(),
      QJsonObject(
          {{"name", "The Verge"}, {"type", 1}, {"id", kVerge}, {"url", "https://www.theverge.com/rss/index.xml"}}));
  EXPECT_EQ(cats[2].toObject()["feeds"].toArray()[0].toObject()["type"].toInt(), 2);

  // Without --yes the question is answered No.
  const QByteArray before = db();
  CliRun run = cli({"move-feed", kVerge, "NEWS"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(
      run.err.startsWith("Change Category?: Are you sure you want to move selected Feed from \"Technology\" "
                         "to \"news\" category?\n"))
      << str(run.err);
  EXPECT_EQ(db(), before);

  run = cli({"move-feed", "--yes", kVerge, "NEWS"});
  EXPECT_EQ(run.exitCode, 0) << str(run.err);
  EXPECT_EQ(feedIds("news").last(), kVerge);
  EXPECT_EQ(feedIds("Technology").size(), 2);

  // Back is refused once the old category has a feed of the same URL.
  ASSERT_EQ(cli({"add-category", "Again"}).exitCode, 0);
  FeedRecord clash{"Again", "https://www.theverge.com/rss/index.xml", FeedType::ATOM, "C-1", "Other name"};
  ASSERT_TRUE(feeds().AddFeed(clash));
  run = cli({"move-feed", "--yes", kVerge, "again"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.endsWith("Feed already Exists!: Feed with same URL already exists under category \"Again\".\n"))
      << str(run.err);
  run = cli({"move-feed", "--yes", kVerge, "Nowhere"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Category not found!: Application failed to locate Nowhere in Database!\n");
  run = cli({"move-feed", "--yes", "NO-SUCH-ID", "News"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("NO-SUCH-ID"));

  const QString store = home.write("Data/" + kBbc + ".fdb", "<items/>");
  EXPECT_EQ(cli({"delete-feed", kBbc}).exitCode, 0);
  EXPECT_FALSE(QFile::exists(store));
  EXPECT_FALSE(feedIds("news").contains(kBbc));
  EXPECT_EQ(cli({"delete-feed", kBbc}).exitCode, 1);
}

TEST_F(CliRoundTrip, BadUsageAndDamagedDatabases) {
  struct Case {
    QStringList args;
  } const usage[] = {{{"add-category"}},    {{"rename-category", "only-one"}},
                     {{"list", "--bogus"}}, {{"move-feed", "--no", "A-1", "News"}},
                     {{"delete-feed"}},     {{"delete-category", "a", "b"}}};
  for (const auto& c : usage) {
    const CliRun run = cli(c.args);
    EXPECT_EQ(run.exitCode, 2) << str(c.args.join(' '));
    EXPECT_TRUE(run.err.startsWith("usage: tidewell-cli [--home DIR] " + c.args.first())) << str(run.err);
  }
  // A name that starts with dashes after "--".
  EXPECT_EQ(cli({"add-category", "--", "--dashes"}).exitCode, 0);
  EXPECT_TRUE(dbText().contains("name=\"--dashes\""));

  useFixture("not-xml.fdb");
  const QByteArray bytes = db();
  for (const QStringList& args : {QStringList{"list"}, QStringList{"add-category", "X"},
                                  QStringList{"delete-feed", kBbc}, QStringList{"move-feed", "--yes", kBbc, "X"}}) {
    const CliRun run = cli(args);
    EXPECT_EQ(run.exitCode, 1) << str(args.join(' '));
    EXPECT_EQ(run.err,
              "Invalid Database File Format!: Application failed to load Feeds Database. Please reinstall "
              "application to resolve this issue.\n");
  }
  EXPECT_EQ(db(), bytes);
}

}  // namespace
}  // namespace tidewell::test
