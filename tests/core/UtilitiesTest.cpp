#include "core/Utilities.h"

#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace tidewell;

TEST(EncodeText, KeepsTheByteFormForAscii) {
  EXPECT_EQ(util::EncodeText("abc", true), "976068603960");
  EXPECT_EQ(util::EncodeText("976068603960", false), "abc");
  EXPECT_EQ(util::EncodeText("", true), "");
  EXPECT_EQ(util::EncodeText("   ", true), "");
  EXPECT_EQ(util::EncodeText("", false), "");
}

TEST(EncodeText, RoundTripsEveryCodeAndNonLatinText) {
  QString all;
  for (int code = 0; code <= 255; ++code) {
    all += QChar(code);
    const QString one = QStringLiteral("x") + QChar(code) + QStringLiteral("y");
    EXPECT_EQ(util::EncodeText(util::EncodeText(one, true), false), one) << code;
  }
  EXPECT_EQ(util::EncodeText(util::EncodeText(all, true), false), all);
  const QString greekAndCjk = QStringLiteral("\u03a3\u03b5\u03bb\u03ae\u03bd\u03b7 \u65e5\u672c\u8a9e \U0001F600");
  const QString encoded = util::EncodeText(greekAndCjk, true);
  EXPECT_TRUE(QRegularExpression("^[0-9]+$").match(encoded).hasMatch()) << encoded.toStdString();
  EXPECT_EQ(util::EncodeText(encoded, false), greekAndCjk);
}

TEST(EncodeText, DecodesLegacySingleByteValues) {
  // A value written by the single-byte form: "é" was code 233 -> 1631 -> "1361".
  EXPECT_EQ(util::EncodeText("1361", false), QStringLiteral("\u00e9"));
  // 0x80 in Windows-1252 is the euro sign: 128 * 7 = 896.
  EXPECT_EQ(util::EncodeText("6980", false), QStringLiteral("\u20ac"));
  // Hand-edited garbage decodes to something without crashing.
  EXPECT_NO_FATAL_FAILURE(util::EncodeText("99999x7!", false));
}

TEST(NewFeedID, HasTheFixedShapeAndIsUnique) {
  const QRegularExpression shape("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
  QSet<QString> seen;
  for (int i = 0; i < 200; ++i) {
    const QString id = util::NewFeedID();
    ASSERT_EQ(id.size(), 36);
    EXPECT_TRUE(shape.match(id).hasMatch()) << id.toStdString();
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 200);
}

class MonthNumberTest : public ::testing::Test {
 protected:
  void TearDown() override { QLocale::setDefault(previous_); }
  QLocale previous_;
};

TEST_F(MonthNumberTest, EnglishNamesMatchUnderAGermanLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  struct Case {
    const char* name;
    const char* number;
  };
  const Case cases[] = {
      {"Jan", "01"},      {"Mar", "03"},  {"May", "05"},      {"Oct", "10"},        {"Dec", "12"},
      {"dec", "12"},      {"DEC", "12"},  {"December", "12"}, {"  October ", "10"}, {"March", "03"},
      {"Dezember", "12"}, {"März", "03"}, {"Mai", "05"},  // the locale's own names still count
      {" Dec", ""},       {"Foo", ""},    {"", ""},           {"Decem", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(util::MonthNumber(QString::fromUtf8(c.name)), QString::fromLatin1(c.number)) << c.name;
  }
}

TEST_F(MonthNumberTest, AbbreviationsRoundTrip) {
  for (int m = 1; m <= 12; ++m) {
    EXPECT_EQ(util::MonthNumber(util::EnglishMonthAbbreviation(m)), QStringLiteral("%1").arg(m, 2, 10, QChar('0')));
  }
  EXPECT_EQ(util::EnglishMonthAbbreviation(0), "");
  EXPECT_EQ(util::EnglishMonthAbbreviation(13), "");
}

TEST(PathUtilities, SlashBlankAndExactExistence) {
  const QString sep = QDir::separator();
  EXPECT_EQ(util::AddSlash("a"), "a" + sep);
  EXPECT_EQ(util::AddSlash("a/"), "a/");
  EXPECT_EQ(util::AddSlash(""), "");
  EXPECT_TRUE(util::IsBlank("   "));
  EXPECT_TRUE(util::IsBlank(""));
  EXPECT_FALSE(util::IsBlank(" x "));

  test::TempHome home;
  const QString file = home.write("feed.fdb", "x");
  EXPECT_TRUE(util::FileExists(file));
  EXPECT_FALSE(util::DirExists(file));
  EXPECT_TRUE(util::DirExists(home.path()));
  EXPECT_FALSE(util::FileExists(home.path()));
  EXPECT_FALSE(util::FileExists(home.file("*.fdb")));
  EXPECT_FALSE(util::FileExists(home.file("fee?.fdb")));
  EXPECT_FALSE(util::FileExists(""));
  EXPECT_FALSE(util::DirExists(""));
}

TEST(TextFiles, WriteUtf8WithLineBreakAndReadLegacyBytes) {
  test::TempHome home;
  const QString path = home.file("out.txt");
  const QString text = QStringLiteral("<categories/> \u00e9\u20ac\u65e5");
  ASSERT_TRUE(util::WriteTextFile(path, text));
  EXPECT_EQ(home.read("out.txt"), (text + QStringLiteral("\n")).toUtf8());
  EXPECT_EQ(util::ReadTextFile(path), text + QStringLiteral("\n"));
  ASSERT_TRUE(util::WriteTextFile(path, "short"));  // replaces, never appends
  EXPECT_EQ(home.read("out.txt"), "short\n");

  home.write("legacy.txt", QByteArray("caf\xe9 \x80 \x93quoted\x94"));
  EXPECT_EQ(util::ReadTextFile(home.file("legacy.txt")), QStringLiteral("caf\u00e9 \u20ac \u201cquoted\u201d"));
  home.write("bom.txt", QByteArray("\xef\xbb\xbfhi"));
  EXPECT_EQ(util::ReadTextFile(home.file("bom.txt")), "hi");
  EXPECT_EQ(util::ReadTextFile(home.file("missing.txt")), "");
}

TEST(TextFiles, FailuresAreReportedAndReturnFalse) {
  test::TempHome home;
  test::ScriptedMessages messages;
  EXPECT_FALSE(util::WriteTextFile(home.file("no/such/folder/x.txt"), "x", &messages));
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_TRUE(messages.last().text.startsWith("Error ! : ")) << messages.last().text.toStdString();
  EXPECT_FALSE(QFile::exists(home.file("no/such/folder/x.txt")));
  EXPECT_FALSE(util::WriteTextFile(home.file("no/such/folder/x.txt"), "x"));  // no messages: silent
}

TEST(StartupOption, CreatesAndRemovesTheAutostartEntry) {
  test::TempHome home;
  const QString folder = home.file("autostart");
  const QString program = QStringLiteral("/opt/My Apps/tidewell");
  ASSERT_TRUE(util::SetStartupOption("Tidewellrun", program, "-s", true, folder));
  EXPECT_TRUE(util::StartupOptionExists("Tidewellrun", folder));
  const QString entry = QString::fromUtf8(home.read("autostart/Tidewellrun.desktop"));
  EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
  EXPECT_TRUE(entry.contains("\nType=Application\n"));
  EXPECT_TRUE(entry.contains("\nExec=\"/opt/My Apps/tidewell\" -s\n")) << entry.toStdString();

  ASSERT_TRUE(util::SetStartupOption("Tidewellrun", program, "", true, folder));
  EXPECT_TRUE(
      QString::fromUtf8(home.read("autostart/Tidewellrun.desktop")).contains("\nExec=\"/opt/My Apps/tidewell\"\n"));

  ASSERT_TRUE(util::SetStartupOption("Tidewellrun", program, "-s", false, folder));
  EXPECT_FALSE(util::StartupOptionExists("Tidewellrun", folder));
  EXPECT_TRUE(util::SetStartupOption("Tidewellrun", program, "-s", false, folder));  // removing twice is fine
}

TEST(StartupOption, QuotesSpecialCharactersInThePath) {
  test::TempHome home;
  const QString folder = home.file("autostart");
  ASSERT_TRUE(util::SetStartupOption("x", QStringLiteral("/a \"b\"/$c/100%"), "", true, folder));
  const QString entry = QString::fromUtf8(home.read("autostart/x.desktop"));
  EXPECT_TRUE(entry.contains("\nExec=\"/a \\\\\"b\\\\\"/\\\\$c/100%%\"\n")) << entry.toStdString();
}

TEST(TextFiles, TruncatedUtf8FallsBackToWindows1252) {
  EXPECT_EQ(util::DecodeLegacyText(QByteArray("ab\xe9")), QStringLiteral("ab\u00e9"));
  EXPECT_EQ(util::DecodeLegacyText(QByteArray("ab\xc3\xa9")), QStringLiteral("ab\u00e9"));
}
