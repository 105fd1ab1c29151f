#include "SchedulerFixture.h"
#include "support/CliRunner.h"

#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"

#include <QEventLoop>
#include <QTimer>

namespace tidewell::test {
namespace {

using SchedulerCli = SchedulerFixture;

TEST_F(SchedulerCli, CheckRunsTheScheduleListAndPrintsTheAnnouncement) {
  server.route(QStringLiteral("/good.xml"),
               {.body = rssFeed({{"b", "Fri, 04 Dec 2026 09:16:03 GMT"}, {"a", "Thu, 03 Dec 2026 09:16:03 GMT"}})});
  server.route(QStringLiteral("/gone.xml"), {.status = 404, .body = "<html>gone</html>"});
  const ScheduleEntry good = entry(QStringLiteral("Good Feed"), server.url(QStringLiteral("/good.xml")));
  const ScheduleEntry gone = entry(QStringLiteral("Gone Feed"), server.url(QStringLiteral("/gone.xml")));
  schedule({good, gone});

  const CliRun run = runCli({QStringLiteral("--home"), home.path(), QStringLiteral("check")});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, QByteArray("Good Feed -- 2 New Items\n"));
  EXPECT_EQ(run.err, QByteArray());  // progress lines only on a terminal
  EXPECT_EQ(
      feedBlock(QStringLiteral("Good Feed")),
      block(QStringLiteral("Good Feed"), {"    Parsing Feed content ...", "    2 New Items found!", "    Done!"}));
  EXPECT_TRUE(logLines().contains(QStringLiteral("Checking Gone Feed")));
  EXPECT_EQ(storedTitles(good), (QStringList{"a", "b"}));

  // Nothing new the second time: the run still succeeds, silently.
  const CliRun again = runCli({QStringLiteral("--home"), home.path(), QStringLiteral("check")});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, QByteArray());
  EXPECT_EQ(logText().count(QStringLiteral("Scheduled Check Started")), 2);
}

TEST_F(SchedulerCli, CheckWithIdsRunsThoseFeedsOfTheDatabase) {
  server.route(QStringLiteral("/one.xml"), {.body = rssFeed({{"x", "Fri, 04 Dec 2026 09:16:03 GMT"}})});
  mCategories categories(home.paths(), messages);
  ASSERT_TRUE(categories.AddCategory(QStringLiteral("News")));
  FeedRecord record;
  record.category = QStringLiteral("News");
  record.name = QStringLiteral("Only One");
  record.url = server.url(QStringLiteral("/one.xml")).toString();
  record.id = util::NewFeedID();
  ASSERT_TRUE(mFeeds(home.paths(), messages).AddFeed(record));
  schedule({});  // the schedule list is not consulted

  const CliRun run = runCli({QStringLiteral("--home"), home.path(), QStringLiteral("check"), record.id});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, QByteArray("Only One -- 1 New Items\n"));
  EXPECT_TRUE(logLines().contains(QStringLiteral("Checking Only One")));

  struct Case {
    QStringList args;
    int exitCode;
  };
  for (const Case& c :
       {Case{{QStringLiteral("00000000-0000-0000-0000-000000000000")}, 1}, Case{{QStringLiteral("--all")}, 2}}) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliRun refused = runCli(QStringList{QStringLiteral("--home"), home.path(), QStringLiteral("check")} + c.args);
    EXPECT_EQ(refused.exitCode, c.exitCode);
    EXPECT_EQ(refused.out, QByteArray());
  }
  EXPECT_EQ(logText().count(QStringLiteral("Scheduled Check Started")), 1);
}

}  // namespace
}  // namespace tidewell::test
