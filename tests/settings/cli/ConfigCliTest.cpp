#include "core/mINI.h"
#include "settings/mSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace tidewell;
using tidewell::test::TempHome;

namespace {

struct CliRun {
  int exitCode = -1;
  QString out;
  QString err;
};

const QString kRss = QStringLiteral("11111111-1111-1111-1111-111111111111");
const QString kAtom = QStringLiteral("22222222-2222-2222-2222-222222222222");
const QString kPodcast = QStringLiteral("33333333-3333-3333-3333-333333333333");

class ConfigCliTest : public ::testing::Test {
 protected:
  ConfigCliTest() {
    home.write(
        QStringLiteral("feeds.fdb"),
        "<categories><category name=\"News\">"
        "<feed name=\"Local News\" type=\"0\" id=\"11111111-1111-1111-1111-111111111111\">http://127.0.0.1/rss</feed>"
        "<feed name=\"Atom &amp; Co\" type=\"1\" "
        "id=\"22222222-2222-2222-2222-222222222222\">http://127.0.0.1/atom</feed>"
        "</category><category name=\"Talk\">"
        "<feed name=\"Pod\" type=\"2\" id=\"33333333-3333-3333-3333-333333333333\">http://127.0.0.1/pod</feed>"
        "</category></categories>");
  }

  CliRun cli(const QStringList& args) {
    QProcess process;
    process.start(TempHome::binDir() + QStringLiteral("/tidewell-cli"),
                  QStringList{QStringLiteral("--home"), home.path()} + args);
    CliRun run;
    if (!process.waitForFinished(60000)) return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
  }

  mSettings loaded() {
    mSettings settings(home.paths(), messages);
    EXPECT_TRUE(settings.LoadSchedulerSettings(true));
    return settings;
  }

  TempHome home;
  tidewell::test::ScriptedMessages messages;
};

TEST_F(ConfigCliTest, ConfigGetAndSetGoThroughTheIniLayer) {
  EXPECT_EQ(cli({"config", "set", "app", "mins", "0"}).exitCode, 0);
  CliRun got = cli({"config", "get", "APP", "Mins"});
  EXPECT_EQ(got.exitCode, 0);
  EXPECT_EQ(got.out, QStringLiteral("0\n"));

  // A value with a line break is stored escaped and read back whole.
  EXPECT_EQ(cli({"config", "set", "misc", "note", "one\ntwo"}).exitCode, 0);
  EXPECT_TRUE(home.read(QStringLiteral("AppCfg.cfg")).contains("note=one%%&&Chr(13)&&%%two"));
  EXPECT_EQ(cli({"config", "get", "misc", "note"}).out, QStringLiteral("one\r\ntwo\n"));

  const CliRun missing = cli({"config", "get", "app", "nothing"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains(QStringLiteral("not set")));
  struct Case {
    QStringList args;
    int exitCode;
  };
  const Case bad[] = {{{"config"}, 2},
                      {{"config", "get", "app"}, 2},
                      {{"config", "set", "app", "x"}, 2},
                      {{"config", "drop", "app", "x"}, 2},
                      {{"config", "set", "", "x", "1"}, 2},
                      {{"config", "set", "app", "a=b", "1"}, 1}};
  for (const Case& c : bad) EXPECT_EQ(cli(c.args).exitCode, c.exitCode) << c.args.join(' ').toStdString();
}

TEST_F(ConfigCliTest, ScheduleCommandsEditTheSchedulerSection) {
  EXPECT_EQ(cli({"schedule", "add", kRss}).exitCode, 0);
  EXPECT_EQ(cli({"schedule", "add", kAtom}).exitCode, 0);
  EXPECT_EQ(cli({"schedule", "add", kPodcast}).exitCode, 0);

  const CliRun again = cli({"schedule", "add", kAtom});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_TRUE(again.err.contains(QStringLiteral("Source already in Schedule List!")));
  EXPECT_EQ(cli({"schedule", "add", "44444444-4444-4444-4444-444444444444"}).exitCode, 1);

  const CliRun list = cli({"schedule", "list"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out, QStringLiteral("1\t0\t%1\thttp://127.0.0.1/rss\tLocal News\n"
                                     "2\t1\t%2\thttp://127.0.0.1/atom\tAtom & Co\n"
                                     "3\t2\t%3\thttp://127.0.0.1/pod\tPod\n")
                          .arg(kRss, kAtom, kPodcast));

  EXPECT_EQ(cli({"schedule", "remove", kAtom}).exitCode, 0);
  EXPECT_EQ(cli({"schedule", "remove", kAtom}).exitCode, 1);
  EXPECT_EQ(cli({"schedule", "enable", "--interval", "3"}).exitCode, 0);

  mSettings settings = loaded();
  ASSERT_EQ(settings.scheduleList.size(), 2);
  EXPECT_EQ(settings.scheduleList[1].feedId, kPodcast);
  EXPECT_EQ(settings.scheduleList[1].feedType, 2);
  EXPECT_EQ(settings.schedulerEnabled, 1);
  EXPECT_EQ(settings.interval, 3);
  mINI ini;
  ini.SetINIFile(home.paths().appCfg(), mSettings::kBufferSize);
  EXPECT_EQ(ini.GetSectionKeys(QStringLiteral("schdl")).value(),
            QStringLiteral("ena|frq|alr|snd|sfl|s_1|s_2").replace(QLatin1Char('|'), QChar(0)));

  // What the CLI wrote is what the store itself would write for the same settings.
  const QByteArray written = home.read(QStringLiteral("AppCfg.cfg"));
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  EXPECT_EQ(home.read(QStringLiteral("AppCfg.cfg")), written);

  EXPECT_EQ(cli({"schedule", "disable"}).exitCode, 0);
  mSettings disabled = loaded();
  EXPECT_EQ(disabled.schedulerEnabled, 0);
  EXPECT_EQ(disabled.interval, 3);
  EXPECT_EQ(disabled.scheduleList.size(), 2);
  // Enabling again keeps the stored interval when none is given.
  EXPECT_EQ(cli({"schedule", "enable"}).exitCode, 0);
  EXPECT_EQ(loaded().schedulerEnabled, 1);
}

TEST_F(ConfigCliTest, ScheduleRefusesWhatTheDialogRefuses) {
  const CliRun empty = cli({"schedule", "enable", "--interval", "0"});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_TRUE(empty.err.contains(QStringLiteral("No Sources Selected!")));

  EXPECT_EQ(cli({"schedule", "add", kRss}).exitCode, 0);
  const CliRun noInterval = cli({"schedule", "enable"});
  EXPECT_EQ(noInterval.exitCode, 1);
  EXPECT_TRUE(noInterval.err.contains(QStringLiteral("Execution Frequency?")));

  for (const char* index : {"7", "-1", "x"}) {
    EXPECT_EQ(cli({"schedule", "enable", "--interval", index}).exitCode, 2) << index;
  }
  EXPECT_EQ(cli({"schedule", "frobnicate"}).exitCode, 2);
  EXPECT_EQ(loaded().schedulerEnabled, 0);

  // A damaged list is reported and never saved back shortened.
  home.write(QStringLiteral("AppCfg.cfg"),
             "[schdl]\ns_1=0\x05"
             "A\x05http://a/\x05One\ns_3=0\x05"
             "C\x05http://c/\x05Three\n");
  const QByteArray damaged = home.read(QStringLiteral("AppCfg.cfg"));
  const CliRun add = cli({"schedule", "add", kPodcast});
  EXPECT_EQ(add.exitCode, 1);
  EXPECT_TRUE(add.err.contains(QStringLiteral("LoadSchedulerSettings Function")));
  EXPECT_EQ(home.read(QStringLiteral("AppCfg.cfg")), damaged);
}

}  // namespace
