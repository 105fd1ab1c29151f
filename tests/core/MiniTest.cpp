#include "core/mINI.h"

#include "support/TempHome.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tidewell;

namespace {

class MiniTest : public ::testing::Test {
 protected:
  MiniTest() { ini.SetINIFile(home.file("AppCfg.cfg"), 5000); }

  QString read(const QString& section, const QString& key, const QString& fallback = {}) {
    const auto r = ini.ReadINI(section, key, fallback);
    EXPECT_TRUE(r.ok()) << r.error().description.toStdString();
    return r.ok() ? r.value() : QString();
  }
  void write(const QString& section, const QString& key, const QString& value) {
    const auto s = ini.WriteINI(section, key, value);
    ASSERT_TRUE(s.ok()) << s.error().description.toStdString();
  }
  QString keys(const QString& section) { return ini.GetSectionKeys(section).value(); }

  test::TempHome home;
  mINI ini;
};

}  // namespace

TEST_F(MiniTest, WritesCreateFileSectionAndKeyAndReadBack) {
  EXPECT_EQ(read("Schedule", "ena", "0"), "0");  // no file yet
  EXPECT_EQ(read("Schedule", "ena"), "");
  write("Schedule", "ena", "1");
  write("Schedule", "frq", "30");
  write("Mail", "host", "smtp.example.org");
  write("Schedule", "ena", "0");  // replaces, no duplicate
  EXPECT_EQ(home.read("AppCfg.cfg"), "[Schedule]\nena=0\nfrq=30\n[Mail]\nhost=smtp.example.org\n");
  EXPECT_EQ(read("Schedule", "ena", "x"), "0");
  EXPECT_EQ(read("Schedule", "missing", "dflt"), "dflt");
  EXPECT_EQ(read("Nowhere", "ena", "dflt"), "dflt");
  // Names compare without regard to case, and a write keeps the stored spelling.
  EXPECT_EQ(read("SCHEDULE", "FRQ"), "30");
  write("schedule", "FRQ", "45");
  EXPECT_EQ(read("Schedule", "frq"), "45");
  EXPECT_TRUE(QString::fromUtf8(home.read("AppCfg.cfg")).contains("\nfrq=45\n"));
}

TEST_F(MiniTest, TwoLineValueIsEscapedOnOneLine) {
  QString value = QStringLiteral("a\r\nb");
  ASSERT_TRUE(ini.WriteINI("Mail", "signature", value).ok());
  EXPECT_EQ(value, "a%%&&Chr(13)&&%%b");  // the caller sees the escaped text
  EXPECT_TRUE(home.read("AppCfg.cfg").contains("signature=a%%&&Chr(13)&&%%b\n"));
  EXPECT_EQ(read("Mail", "signature"), "a\r\nb");
  // A lone line feed can not break the line either, so it cannot forge a key.
  write("Mail", "other", "x\ninjected=1");
  EXPECT_EQ(read("Mail", "injected", "none"), "none");
  EXPECT_EQ(read("Mail", "other"), "x\r\ninjected=1");
}

TEST_F(MiniTest, ValuesReadBackUnchanged) {
  const QString values[] = {
      " padded ", "\"quoted\"", "a=b=c", "; not a comment", "[not a section]", QStringLiteral("\u00e9\u20ac\u65e5"),
      "",         "tab\tinside"};
  int n = 0;
  for (const auto& v : values) write("Values", QStringLiteral("k%1").arg(n++), v);
  n = 0;
  for (const auto& v : values) EXPECT_EQ(read("Values", QStringLiteral("k%1").arg(n++), "dflt"), v) << v.toStdString();
}

TEST_F(MiniTest, LongValuesAreCutToBufferSizeLessOne) {
  write("S", "long", QString(100, QLatin1Char('x')));
  ini.SetINIFile(home.file("AppCfg.cfg"), 10);
  EXPECT_EQ(read("S", "long"), QString(9, QLatin1Char('x')));
  EXPECT_EQ(read("S", "missing", "0123456789abc"), "012345678");  // the default goes through the buffer too
  ini.SetINIFile(home.file("AppCfg.cfg"), 1);
  EXPECT_EQ(read("S", "long"), "");
}

TEST_F(MiniTest, SectionKeysAreJoinedByNul) {
  write("Schedule", "ena", "1");
  write("Schedule", "frq", "5");
  write("Schedule", "lst", "x");
  const QString expected = QStringLiteral("ena") + QChar(u'\0') + "frq" + QChar(u'\0') + "lst";
  EXPECT_EQ(keys("Schedule"), expected);
  EXPECT_EQ(keys("schedule"), expected);
  EXPECT_EQ(keys("Missing"), "");
  home.write("AppCfg.cfg", "[Empty]\n[Other]\na=1\n");
  EXPECT_EQ(keys("Empty"), "");
}

TEST_F(MiniTest, DeletedSectionReadsAsDefaults) {
  write("Feed1", "url", "http://a");
  write("Keep", "k", "v");
  write("Feed1", "name", "A");
  ASSERT_TRUE(ini.DeleteSection("FEED1").ok());
  EXPECT_EQ(read("Feed1", "url", "gone"), "gone");
  EXPECT_EQ(read("Feed1", "name", "gone"), "gone");
  EXPECT_EQ(keys("Feed1"), "");
  EXPECT_EQ(read("Keep", "k"), "v");
  EXPECT_TRUE(ini.DeleteSection("NeverThere").ok());
}

TEST_F(MiniTest, RewriteKeepsLinesItDoesNotOwn) {
  home.write("AppCfg.cfg",
             "; written by hand\r\n"
             "[Foreign]\r\n"
             "Zeta = 1\r\n"
             "alpha=2\r\n"
             "\r\n"
             "# about the schedule\r\n"
             "[Schedule]\r\n"
             "frq=5\r\n"
             "; trailing note\r\n"
             "\r\n"
             "[Last]\r\n"
             "x=y\r\n");
  write("Schedule", "ena", "1");
  write("Schedule", "frq", "6");
  write("Last", "x", "z");
  ASSERT_TRUE(ini.DeleteSection("Foreign").ok());
  EXPECT_EQ(home.read("AppCfg.cfg"),
            "; written by hand\r\n"
            "[Schedule]\r\n"
            "frq=6\r\n"
            "ena=1\r\n"
            "; trailing note\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=z\r\n");
}

TEST(MiniState, ErrorsBeforeTheFileIsSet) {
  struct Case {
    QString file;
    int size;
    const char* description;
  };
  const Case cases[] = {
      {"", 0, "Buffer size not set"}, {"x.cfg", 0, "Buffer size not set"}, {"", 5000, "Filename not set"}};
  for (const auto& c : cases) {
    mINI ini;
    if (c.size != 0 || !c.file.isEmpty()) ini.SetINIFile(c.file, c.size);
    QString value = "v";
    const ErrorInfo errors[] = {ini.ReadINI("S", "k", "d").error(), ini.WriteINI("S", "k", value).error(),
                                ini.GetSectionKeys("S").error(), ini.DeleteSection("S").error()};
    for (const auto& e : errors) {
      EXPECT_EQ(e.number, 670);
      EXPECT_EQ(e.source, "INIReadWrite");
      EXPECT_EQ(e.description, c.description);
    }
    EXPECT_EQ(value, "v");
  }
}

TEST_F(MiniTest, UnwritableTargetFailsAndLeavesNothingBehind) {
  ini.SetINIFile(home.file("no/such/folder/AppCfg.cfg"), 5000);
  const auto s = ini.WriteINI("S", "k", QStringLiteral("v"));
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.error().number, 0);
  EXPECT_FALSE(s.error().description.isEmpty());
  ini.SetINIFile(home.path(), 5000);  // a folder, not a file
  EXPECT_FALSE(ini.WriteINI("S", "k", QStringLiteral("v")).ok());
  EXPECT_EQ(read("S", "k", "d"), "d");
}

TEST_F(MiniTest, LegacyBytesHugeValuesAndGarbageAreSurvived) {
  home.write("AppCfg.cfg", "[Mail]\nname=Andr\xe9\n");
  EXPECT_EQ(read("Mail", "name"), QStringLiteral("Andr\u00e9"));
  write("Mail", "other", "1");
  EXPECT_EQ(home.read("AppCfg.cfg"), "[Mail]\nname=Andr\xc3\xa9\nother=1\n");  // rewritten as UTF-8

  const QString huge(5 * 1024 * 1024, QLatin1Char('h'));
  write("Big", "v", huge);
  ini.SetINIFile(home.file("AppCfg.cfg"), static_cast<int>(huge.size()) + 1);
  EXPECT_EQ(read("Big", "v"), huge);

  QRandomGenerator rng(670);
  QByteArray garbage(64 * 1024, Qt::Uninitialized);
  for (auto& b : garbage) b = static_cast<char>(rng.bounded(256));
  home.write("AppCfg.cfg", garbage);
  ini.SetINIFile(home.file("AppCfg.cfg"), 5000);
  EXPECT_EQ(read("Definitely", "absent", "d"), "d");
  write("Definitely", "present", "p");
  EXPECT_EQ(read("Definitely", "present"), "p");
  (void)ini.GetSectionKeys("Definitely");
  EXPECT_TRUE(ini.DeleteSection("Definitely").ok());
}

TEST_F(MiniTest, NamesThatCouldNotBeReadBackAreRefused) {
  const std::pair<QString, QString> bad[] = {{"S", "a=b"}, {"S", "k\nx"}, {"S\n[T]", "k"}, {"S]", "k"},
                                             {"S", ";k"},  {"S", "[k"},   {"", "k"},       {"S", " "}};
  for (const auto& [section, key] : bad) {
    EXPECT_FALSE(ini.WriteINI(section, key, QStringLiteral("v")).ok()) << section.toStdString() << key.toStdString();
  }
  EXPECT_FALSE(home.read("AppCfg.cfg").contains("v"));
}

TEST_F(MiniTest, WholeSectionReadAndReplacedInOneGo) {
  home.write("AppCfg.cfg",
             "[Schdl]\n"
             "; the list\n"
             "ena=1\n"
             "s_1=old\n"
             "[Other]\n"
             "k=v\n"
             "[schdl]\n"
             "s_9=hidden\n");
  const QList<IniEntry> entries = {{"ena", "0"}, {"s_1", "a\r\nb"}, {"s_2", " two "}};
  ASSERT_TRUE(ini.WriteSection("SCHDL", entries).ok());
  EXPECT_EQ(home.read("AppCfg.cfg"),
            "[Schdl]\n"
            "ena=0\n"
            "s_1=a%%&&Chr(13)&&%%b\n"
            "s_2=\" two \"\n"
            "; the list\n"
            "[Other]\n"
            "k=v\n");
  EXPECT_EQ(ini.ReadSection("schdl").value(), entries);
  EXPECT_EQ(ini.ReadSection("Missing").value(), QList<IniEntry>());

  ASSERT_TRUE(ini.WriteSection("New", {{"x", "1"}}).ok());
  EXPECT_EQ(read("New", "x"), "1");
  ASSERT_TRUE(ini.WriteSection("Schdl", {}).ok());
  EXPECT_EQ(keys("Schdl"), "");
  EXPECT_EQ(read("Other", "k"), "v");
}
