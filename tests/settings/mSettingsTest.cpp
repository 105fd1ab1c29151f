#include "core/Utilities.h"
#include "core/mINI.h"
#include "settings/mSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tidewell;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { settings.setAutostartFolder(home.file(QStringLiteral("autostart"))); }

  // A second store on the same folder: what the program sees on its next start.
  mSettings reopened() {
    mSettings fresh(home.paths(), messages);
    fresh.setAutostartFolder(settings.autostartFolder());
    return fresh;
  }
  QString readIni(const QString& section, const QString& key, const QString& fallback = QStringLiteral("<none>")) {
    mINI ini;
    ini.SetINIFile(home.paths().appCfg(), mSettings::kBufferSize);
    return ini.ReadINI(section, key, fallback).valueOr(QStringLiteral("<error>"));
  }
  void writeCfg(const QByteArray& text) { home.write(QStringLiteral("AppCfg.cfg"), text); }
  QString startupFile() const { return settings.autostartFolder() + QStringLiteral("/Tidewellrun.desktop"); }

  static ScheduleEntry entry(int n, qint16 type = 0) {
    ScheduleEntry e;
    e.feedType = type;
    e.feedId = QStringLiteral("0000000%1-AAAA-BBBB-CCCC-DDDDDDDDDDDD").arg(n % 10);
    e.url = QStringLiteral("http://127.0.0.1/feed%1.xml").arg(n);
    e.caption = QStringLiteral("Feed %1").arg(n);
    return e;
  }

  TempHome home;
  ScriptedMessages messages;
  mSettings settings{home.paths(), messages};
};

TEST_F(SettingsTest, FreshInstallationHasTheDocumentedDefaults) {
  settings.LoadEmailSettings();
  settings.LoadAppSettings();
  ASSERT_TRUE(settings.LoadSchedulerSettings(true));

  EXPECT_EQ(settings.schedulerEnabled, 0);
  EXPECT_EQ(settings.interval, -1);
  EXPECT_EQ(settings.notify, 1);
  EXPECT_EQ(settings.playSound, 0);
  EXPECT_EQ(settings.soundFile, home.paths().notifyWav());
  EXPECT_TRUE(settings.soundFile.endsWith(QStringLiteral("notify.wav")));
  EXPECT_TRUE(settings.scheduleList.isEmpty());
  EXPECT_EQ(settings.downloadConcurrency, 8);
  EXPECT_EQ(settings.closeMinimizes, 1);
  EXPECT_EQ(settings.closeExits, 0);
  EXPECT_EQ(settings.startWithSystem, 0);
  EXPECT_TRUE(settings.GetConfirmClose());
  // The other reader of "close" defaults to exiting.
  EXPECT_TRUE(settings.GetCloseOnExit());
  EXPECT_EQ(settings.smtpAuth, 0);
  EXPECT_TRUE(settings.smtpServer.isEmpty() && settings.smtpPassword.isEmpty() && settings.senderEmail.isEmpty());
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(QFile::exists(home.paths().appCfg())) << "reading must not create the file";
}

TEST_F(SettingsTest, EmailValuesAreStoredScrambledAndReadBack) {
  settings.smtpServer = QStringLiteral("abc");
  settings.smtpPort = QStringLiteral("587");
  settings.smtpAuth = 1;
  settings.smtpUser = QStringLiteral("jörg");
  settings.smtpPassword = QStringLiteral("p@ss word");
  settings.senderName = QStringLiteral("Jörg Müller");
  settings.senderEmail = QStringLiteral("jm@example.org");
  ASSERT_TRUE(settings.SaveEmailSettings(true));

  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().text, QStringLiteral("Email Settings are Successfully Saved!"));
  EXPECT_EQ(messages.last().title, QStringLiteral("Done!"));
  EXPECT_EQ(messages.last().icon, MessageIcon::Information);
  EXPECT_EQ(readIni(QStringLiteral("email"), QStringLiteral("sv")), QStringLiteral("976068603960"));
  EXPECT_EQ(readIni(QStringLiteral("email"), QStringLiteral("au")), util::EncodeText(QStringLiteral("1"), true));
  EXPECT_FALSE(QString::fromUtf8(home.read(QStringLiteral("AppCfg.cfg"))).contains(QStringLiteral("p@ss")));

  mSettings loaded = reopened();
  loaded.LoadEmailSettings();
  EXPECT_EQ(loaded.smtpServer, settings.smtpServer);
  EXPECT_EQ(loaded.smtpPort, settings.smtpPort);
  EXPECT_EQ(loaded.smtpAuth, 1);
  EXPECT_EQ(loaded.smtpUser, settings.smtpUser);
  EXPECT_EQ(loaded.smtpPassword, settings.smtpPassword);
  EXPECT_EQ(loaded.senderName, settings.senderName);
  EXPECT_EQ(loaded.senderEmail, settings.senderEmail);
}

TEST_F(SettingsTest, AuthenticationReadsItsStoredFormDefault) {
  struct Case {
    const char* name;
    QByteArray file;
    qint16 expected;
  };
  const Case cases[] = {
      {"missing key uses the stored default 6330", "[email]\nsv=976068603960\n", 0},
      {"stored 1", "[email]\nau=" + util::EncodeText(QStringLiteral("1"), true).toLatin1() + "\n", 1},
      {"plain digits are no stored form", "[email]\nau=1\n", 0},
      {"garbage", "[email]\nau=zz\x01zz\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeCfg(c.file);
    settings.smtpAuth = 7;
    settings.LoadEmailSettings();
    EXPECT_EQ(settings.smtpAuth, c.expected);
  }
}

TEST_F(SettingsTest, StartupEntryFollowsTheStartWithSystemSetting) {
  // Unchecked and never written: removing nothing is no error.
  settings.startWithSystem = 0;
  ASSERT_TRUE(settings.SaveAppSettings(false));
  EXPECT_FALSE(QFile::exists(startupFile()));
  EXPECT_TRUE(messages.empty());

  settings.startWithSystem = 1;
  ASSERT_TRUE(settings.SaveAppSettings(true));
  EXPECT_EQ(messages.last().text,
            QStringLiteral("Application Settings successfully saved to Application Configuration File."));
  EXPECT_EQ(messages.last().title, QStringLiteral("Done!"));
  ASSERT_TRUE(util::StartupOptionExists(QStringLiteral("Tidewellrun"), settings.autostartFolder()));
  QFile entry(startupFile());
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(entry.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("tidewell")) && text.contains(QStringLiteral(" -s"))) << text.toStdString();
  entry.close();

  settings.startWithSystem = 0;
  ASSERT_TRUE(settings.SaveAppSettings(false));
  EXPECT_FALSE(QFile::exists(startupFile()));
  EXPECT_EQ(readIni(QStringLiteral("app"), QStringLiteral("autos")), QStringLiteral("0"));
  EXPECT_EQ(readIni(QStringLiteral("app"), QStringLiteral("mins")), QStringLiteral("1"));
}

TEST_F(SettingsTest, CloseBehaviourKeys) {
  settings.SetConfirmClose(false);
  EXPECT_EQ(readIni(QStringLiteral("app"), QStringLiteral("confirm")), QStringLiteral("0"));
  EXPECT_FALSE(reopened().GetConfirmClose());
  settings.SetConfirmClose(true);
  EXPECT_TRUE(reopened().GetConfirmClose());

  // "close" missing: the two readers disagree on purpose.
  mSettings other = reopened();
  other.LoadAppSettings();
  EXPECT_EQ(other.closeExits, 0);
  EXPECT_TRUE(other.GetCloseOnExit());
  settings.closeExits = 0;
  ASSERT_TRUE(settings.SaveAppSettings(false));
  EXPECT_FALSE(reopened().GetCloseOnExit());
}

TEST_F(SettingsTest, SchedulerSectionIsWrittenExactly) {
  writeCfg("[app]\nautos=0\n");
  settings.schedulerEnabled = 1;
  settings.interval = 2;
  settings.notify = 1;
  settings.playSound = 0;
  settings.soundFile = QStringLiteral("/opt/tidewell/notify.wav");
  settings.scheduleList = {entry(1), entry(2, 1), entry(3, 2)};
  int rearmed = 0;
  settings.setSchedulerSavedHandler([&] { ++rearmed; });
  ASSERT_TRUE(settings.SaveSchedulerSettings(true));

  const QByteArray expected =
      "[app]\nautos=0\n"
      "[schdl]\nena=1\nfrq=2\nalr=1\nsnd=0\nsfl=/opt/tidewell/notify.wav\n"
      "s_1=0\x05"
      "00000001-AAAA-BBBB-CCCC-DDDDDDDDDDDD\x05http://127.0.0.1/feed1.xml\x05"
      "Feed 1\n"
      "s_2=1\x05"
      "00000002-AAAA-BBBB-CCCC-DDDDDDDDDDDD\x05http://127.0.0.1/feed2.xml\x05"
      "Feed 2\n"
      "s_3=2\x05"
      "00000003-AAAA-BBBB-CCCC-DDDDDDDDDDDD\x05http://127.0.0.1/feed3.xml\x05"
      "Feed 3\n";
  EXPECT_EQ(home.read(QStringLiteral("AppCfg.cfg")), expected);
  EXPECT_EQ(rearmed, 1);
  EXPECT_EQ(messages.last().text,
            QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!"));
  EXPECT_EQ(messages.last().title, QStringLiteral("Done!"));

  // Removing the second feed renumbers: the old s_3 must not survive.
  settings.scheduleList.removeAt(1);
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  mINI ini;
  ini.SetINIFile(home.paths().appCfg(), mSettings::kBufferSize);
  EXPECT_EQ(ini.GetSectionKeys(QStringLiteral("schdl")).value(),
            QStringLiteral("ena|frq|alr|snd|sfl|s_1|s_2").replace(QLatin1Char('|'), QChar(0)));
  mSettings loaded = reopened();
  ASSERT_TRUE(loaded.LoadSchedulerSettings(true));
  EXPECT_EQ(loaded.scheduleList, (QList<ScheduleEntry>{entry(1), entry(3, 2)}));
  EXPECT_EQ(loaded.interval, 2);
  EXPECT_EQ(rearmed, 2);

  // No entries at all: a section without entry keys.
  settings.scheduleList.clear();
  settings.schedulerEnabled = 0;
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  EXPECT_EQ(ini.GetSectionKeys(QStringLiteral("schdl")).value(),
            QStringLiteral("ena|frq|alr|snd|sfl").replace(QLatin1Char('|'), QChar(0)));
}

TEST_F(SettingsTest, LoadWithoutListKeepsTheListEmpty) {
  settings.scheduleList = {entry(1)};
  settings.interval = 5;
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  mSettings loaded = reopened();
  ASSERT_TRUE(loaded.LoadSchedulerSettings(false));
  EXPECT_EQ(loaded.interval, 5);
  EXPECT_TRUE(loaded.scheduleList.isEmpty());
}

TEST_F(SettingsTest, CaptionWithLineBreaksSurvivesSaveAndLoad) {
  ScheduleEntry e = entry(1);
  e.caption = QStringLiteral("First line\r\nSecond line\r\n  third=4");
  settings.scheduleList = {e, entry(2)};
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  mSettings loaded = reopened();
  ASSERT_TRUE(loaded.LoadSchedulerSettings(true));
  ASSERT_EQ(loaded.scheduleList.size(), 2);
  EXPECT_EQ(loaded.scheduleList[0].caption, e.caption);
  EXPECT_EQ(loaded.scheduleList[1], entry(2));
}

// More than 101 key names once made the load give up and return an empty
// list; every entry must load.
TEST_F(SettingsTest, FiveHundredScheduledFeedsAllLoad) {
  for (int i = 1; i <= 500; ++i) settings.scheduleList.append(entry(i, static_cast<qint16>(i % 3)));
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  mSettings loaded = reopened();
  ASSERT_TRUE(loaded.LoadSchedulerSettings(true));
  ASSERT_EQ(loaded.scheduleList.size(), 500);
  EXPECT_EQ(loaded.scheduleList, settings.scheduleList);
  EXPECT_TRUE(messages.empty());
}

// The key names of a list this long no longer fit the 5000-character value
// buffer; cut short, they would drop the tail of the list without a word.
TEST_F(SettingsTest, AListWhoseKeyNamesOutgrowTheBufferLoadsWhole) {
  QByteArray file = "[schdl]\nena=1\nfrq=0\n";
  for (int i = 1; i <= 1200; ++i)
    file += "s_" + QByteArray::number(i) + "=0\x05ID" + QByteArray::number(i) +
            "\x05u\x05"
            "c\n";
  writeCfg(file);
  ASSERT_TRUE(settings.LoadSchedulerSettings(true));
  ASSERT_EQ(settings.scheduleList.size(), 1200);
  EXPECT_EQ(settings.scheduleList.last().feedId, QStringLiteral("ID1200"));
}

TEST_F(SettingsTest, MissingSecondEntryKeepsTheFirstAndReportsTheRuntimeError) {
  writeCfg("[schdl]\nena=1\nfrq=0\ns_1=0\x05ID1\x05http://a/\x05One\ns_3=1\x05ID3\x05http://c/\x05Three\n");
  const Status loaded = settings.LoadSchedulerSettings(true);
  EXPECT_FALSE(loaded);
  ASSERT_EQ(settings.scheduleList.size(), 1);
  EXPECT_EQ(settings.scheduleList[0].feedId, QStringLiteral("ID1"));
  EXPECT_EQ(settings.schedulerEnabled, 1);
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().title, QStringLiteral("LoadSchedulerSettings Function"));
  EXPECT_TRUE(messages.last().text.startsWith(QStringLiteral("Error on Line 3\r\n\r\n")))
      << messages.last().text.toStdString();
  EXPECT_EQ(messages.last().icon, MessageIcon::Critical);
}

TEST_F(SettingsTest, HandEditedSchedulerSectionsLoadWhatTheyCan) {
  const QByteArray fiveMegabytes(5 * 1024 * 1024, 'x');
  QByteArray garbage(4096, '\0');
  QRandomGenerator random(42);
  for (char& c : garbage) c = static_cast<char>(random.bounded(256));

  struct Case {
    const char* name;
    QByteArray file;
    qint16 ena;
    qint16 frq;
    int entries;
    bool reported;
  };
  const Case cases[] = {
      {"non-numeric frq", "[schdl]\nena=1\nfrq=often\n", 1, -1, 0, false},
      {"unknown interval index", "[schdl]\nena=1\nfrq=9\n", 1, -1, 0, false},
      {"negative interval index", "[schdl]\nfrq=-5\n", 0, -1, 0, false},
      {"non-numeric ena", "[schdl]\nena=yes\nfrq=6\n", 0, 6, 0, false},
      {"entry with too few fields", "[schdl]\nfrq=1\ns_1=0\x05ID\x05http://a/\n", 0, 1, 0, true},
      {"entry that is empty", "[schdl]\ns_1=\n", 0, -1, 0, true},
      {"entry with non-numeric type", "[schdl]\ns_1=0\x05ID\x05http://a/\x05One\ns_2=rss\x05ID2\x05http://b/\x05Two\n",
       0, -1, 1, true},
      {"entry with an out-of-range type", "[schdl]\ns_1=99999\x05ID\x05http://a/\x05One\n", 0, -1, 0, true},
      {"5 MB value",
       "[schdl]\nena=1\nsfl=" + fiveMegabytes +
           "\ns_1=0\x05"
           "ID\x05http://a/\x05" +
           fiveMegabytes + "\n",
       1, -1, 1, false},
      {"binary garbage", garbage, 0, -1, 0, false},
      {"garbage inside the section", "[schdl]\n" + garbage + "\n", 0, -1, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    writeCfg(c.file);
    const Status status = settings.LoadSchedulerSettings(true);
    EXPECT_EQ(settings.schedulerEnabled, c.ena);
    EXPECT_EQ(settings.interval, c.frq);
    EXPECT_LT(settings.soundFile.size(), mSettings::kBufferSize);
    if (c.entries >= 0) {
      EXPECT_EQ(settings.scheduleList.size(), c.entries);
      EXPECT_EQ(bool(status), !c.reported);
      EXPECT_EQ(messages.empty(), !c.reported);
    }
    if (!messages.empty()) {
      EXPECT_EQ(messages.last().title, QStringLiteral("LoadSchedulerSettings Function"));
    }
  }
}

TEST_F(SettingsTest, GarbageInTheOtherSectionsFallsBackToDefaults) {
  writeCfg("[app]\nautos=\xff\xfe\nclose=1e9\nmins=\nconfirm=maybe\n[email]\nsv=12\npo=\x01\x02\n");
  settings.LoadAppSettings();
  settings.LoadEmailSettings();
  EXPECT_EQ(settings.startWithSystem, 0);
  EXPECT_EQ(settings.closeExits, 0);
  EXPECT_EQ(settings.closeMinimizes, 1);
  EXPECT_TRUE(settings.GetConfirmClose());
  EXPECT_TRUE(messages.empty());
}

// A file that cannot be written must not be announced as saved.
TEST_F(SettingsTest, WriteFailureIsReportedInsteadOfSuccess) {
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("AppCfg.cfg")));
  settings.scheduleList = {entry(1)};
  int rearmed = 0;
  settings.setSchedulerSavedHandler([&] { ++rearmed; });
  EXPECT_FALSE(settings.SaveSchedulerSettings(true));
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().title, QStringLiteral("SaveSchedulerSettings Function"));
  EXPECT_EQ(messages.last().icon, MessageIcon::Critical);
  EXPECT_EQ(rearmed, 1);

  messages.clear();
  EXPECT_FALSE(settings.SaveEmailSettings(true));
  EXPECT_EQ(messages.last().title, QStringLiteral("SaveEmailSettings Function"));
  messages.clear();
  EXPECT_FALSE(settings.SaveAppSettings(true));
  EXPECT_EQ(messages.last().title, QStringLiteral("SaveAppSettings Function"));
}

TEST_F(SettingsTest, DownloadConcurrencyIsKeptOutsideTheSchedulerSection) {
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  EXPECT_EQ(readIni(QStringLiteral("check"), QStringLiteral("concurrency")), QStringLiteral("<none>"));

  settings.downloadConcurrency = 3;
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  mSettings loaded = reopened();
  ASSERT_TRUE(loaded.LoadSchedulerSettings(false));
  EXPECT_EQ(loaded.downloadConcurrency, 3);

  settings.downloadConcurrency = 8;
  ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  ASSERT_TRUE(loaded.LoadSchedulerSettings(false));
  EXPECT_EQ(loaded.downloadConcurrency, 8);

  for (const char* stored : {"0", "-2", "65", "many"}) {
    SCOPED_TRACE(stored);
    writeCfg(QByteArray("[check]\nconcurrency=") + stored + "\n");
    ASSERT_TRUE(loaded.LoadSchedulerSettings(false));
    EXPECT_EQ(loaded.downloadConcurrency, 8);
  }
}

TEST(ScheduleIntervals, IndexesMapToTheTimerIntervals) {
  const std::pair<int, int> cases[] = {{-1, 0},      {0, 300000},  {1, 600000},   {2, 900000}, {3, 1800000},
                                       {4, 2700000}, {5, 3600000}, {6, 10800000}, {7, 0}};
  for (const auto& [index, ms] : cases) EXPECT_EQ(mSettings::intervalMilliseconds(index), ms) << index;
  EXPECT_EQ(mSettings::intervalTexts().size(), mSettings::kIntervalCount);
  EXPECT_EQ(mSettings::intervalTexts().first(), QStringLiteral("Every 5 Min"));
  EXPECT_EQ(mSettings::intervalTexts().last(), QStringLiteral("Every 3 Hour"));
}

}  // namespace

TEST_F(SettingsTest, ProxyIsStoredOnceChosen) {
  // Saving the system's proxy into a file without a proxy section leaves it alone.
  settings.LoadProxySettings();
  EXPECT_EQ(settings.proxy, ProxyConfig());
  ASSERT_TRUE(settings.SaveProxySettings());
  EXPECT_FALSE(QFile::exists(home.paths().appCfg()));

  settings.proxy = {ProxyConfig::Mode::Socks5, QStringLiteral("proxy.test"), 61080, QStringLiteral("reader")};
  ASSERT_TRUE(settings.SaveProxySettings());
  EXPECT_EQ(readIni(QStringLiteral("proxy"), QStringLiteral("mode")), QStringLiteral("2"));
  mSettings loaded = reopened();
  loaded.LoadProxySettings();
  EXPECT_EQ(loaded.proxy, settings.proxy);

  // Back to the system's: written, so the choice sticks.
  settings.proxy = ProxyConfig();
  ASSERT_TRUE(settings.SaveProxySettings());
  EXPECT_EQ(readIni(QStringLiteral("proxy"), QStringLiteral("mode")), QStringLiteral("0"));
  writeCfg("[proxy]\nmode=1\nhost=p\nport=99999\n");
  loaded.LoadProxySettings();
  EXPECT_EQ(loaded.proxy.port, 0);
  EXPECT_FALSE(loaded.proxy.isManual());
  EXPECT_TRUE(messages.empty());
}
