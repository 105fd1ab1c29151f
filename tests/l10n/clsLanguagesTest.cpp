#include "core/AppIdentity.h"
#include "l10n/clsLanguages.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tidewell;
using tidewell::test::TempHome;

namespace {

// A localization file in the shipped layout, lines joined with the given break.
QByteArray localizationFile(const QList<QPair<QString, QStringList>>& groups, const QByteArray& lineBreak = "\r\n") {
  QStringList lines = {QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), QStringLiteral("<XML_DIZ_INFO>"),
                       QStringLiteral("<LOCALIZATION_FILE_INFO>"),
                       QStringLiteral("<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>"),
                       QStringLiteral("</LOCALIZATION_FILE_INFO>")};
  for (const auto& [name, items] : groups) {
    lines << QStringLiteral("<LANGUAGE_GROUP xml:lang=\"xx\">")
          << QStringLiteral("<LANGUAGE_NAME>%1</LANGUAGE_NAME>").arg(name)
          << QStringLiteral("<DESCRIPTION>test</DESCRIPTION>") << QStringLiteral("<TRANSLATION_ITEMS>");
    for (const QString& item : items) lines << QStringLiteral("  ") + item;
    lines << QStringLiteral("</TRANSLATION_ITEMS>") << QStringLiteral("</LANGUAGE_GROUP>");
  }
  lines << QStringLiteral("</XML_DIZ_INFO>");
  return lines.join(QString::fromLatin1(lineBreak)).toUtf8() + lineBreak;
}

const QStringList kEnglish = {
    QStringLiteral("<frmMain_cmdAddFeed>Add Feed</frmMain_cmdAddFeed>"),
    QStringLiteral("<MSG_DELETE3>Continue, please?</MSG_DELETE3>"),
    QStringLiteral("<FRMMAIN_CAPTION>[ProgramName] main</FRMMAIN_CAPTION>"),
};
const QStringList kGerman = {
    QStringLiteral("<frmMain_cmdAddFeed>Feed hinzufügen</frmMain_cmdAddFeed>"),
    QStringLiteral("<MSG_BUSY>beschäftigt</MSG_BUSY>"),
    QStringLiteral("<MSG_DELETE1></MSG_DELETE1>"),
    QStringLiteral("<msg_tray>[programname] von [COMPANYNAME], [website]</msg_tray>"),
    QStringLiteral("<frmMain_lblBroken>ohne Ende"),
    QStringLiteral("<frmMain_lblBroken>zweite Zeile</frmMain_lblBroken>"),
};

class LanguagesTest : public ::testing::Test {
 protected:
  void writeFile(const QByteArray& bytes) { home.write(QStringLiteral("Localization.txt"), bytes); }
  void writeFile(const QList<QPair<QString, QStringList>>& groups, const QByteArray& lineBreak = "\r\n") {
    writeFile(localizationFile(groups, lineBreak));
  }

  TempHome home;
  AppIdentity identity;
  // The shipped Localization.txt must not stand in for the test's own.
  clsLanguages languages{identity, AppPaths(home.path(), home.path())};
};

TEST_F(LanguagesTest, DefaultMessagesAreRegisteredInOrder) {
  const auto& defaults = clsLanguages::defaultMessages();
  EXPECT_EQ(languages.messageCount(), defaults.size());
  // Features add their messages after the shipped ones, and every one finds a slot.
  ASSERT_GT(defaults.size(), 17);
  EXPECT_LE(defaults.size(), clsLanguages::kMessageSlots);
  EXPECT_EQ(defaults.first().first, QStringLiteral("MSG_DELETE1"));
  EXPECT_EQ(defaults[15].first, QStringLiteral("MSG_TRAY"));
  EXPECT_EQ(defaults[16].first, QStringLiteral("MSG_DOWNLOADED"));
  EXPECT_FALSE(languages.getMessages(QStringLiteral("MSG_DOWNLOADED")).isEmpty());
  EXPECT_TRUE(languages.getMessages(QStringLiteral("MSG_TRAY")).endsWith(QLatin1Char('"')));
  // Upper-cased first character, as every message is returned.
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_MINIMIZED")), QStringLiteral("Is minimized here!"));
  EXPECT_EQ(languages.getMessages(QStringLiteral("CAPTION_FRMSCHEDULER")), QStringLiteral("Scheduler"));
}

TEST_F(LanguagesTest, MessageLookupIgnoresCaseAndFillsTheIdentity) {
  EXPECT_EQ(languages.getMessages(QStringLiteral("msg_busy")),
            QStringLiteral("Application is currently busy in executing Feed Check process. Interface cannot be closed; "
                           "please try again later."));
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_NEVER_REGISTERED")), QString());

  languages.setMessage(QStringLiteral("MSG_ABOUT"), QStringLiteral("[programname] by [COMPANYNAME], see [Website]"));
  EXPECT_EQ(languages.getMessages(QStringLiteral("msg_about")),
            identity.programName + QStringLiteral(" by ") + identity.companyName + QStringLiteral(", see [Website]"));

  // No duplicate check: the first registration wins.
  languages.setMessage(QStringLiteral("MSG_BUSY"), QStringLiteral("second"));
  EXPECT_TRUE(languages.getMessages(QStringLiteral("MSG_BUSY")).startsWith(QStringLiteral("Application")));
}

TEST_F(LanguagesTest, TheTwoHundredSecondMessageIsDropped) {
  for (int i = languages.messageCount(); i < clsLanguages::kMessageSlots; ++i) {
    languages.setMessage(QStringLiteral("MSG_FILL%1").arg(i), QStringLiteral("fill %1").arg(i));
  }
  EXPECT_EQ(languages.messageCount(), 201);
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_FILL200")), QStringLiteral("Fill 200"));
  languages.setMessage(QStringLiteral("MSG_EXTRA"), QStringLiteral("extra"));
  EXPECT_EQ(languages.messageCount(), 201);
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_EXTRA")), QString());
}

TEST_F(LanguagesTest, LoadingALanguageTranslatesCaptionsAndMessages) {
  writeFile({{QStringLiteral("English"), kEnglish}, {QStringLiteral("Deutsch"), kGerman}});
  ASSERT_TRUE(languages.LangFileExists());
  EXPECT_EQ(languages.ListLanguages(), (QStringList{QStringLiteral("English"), QStringLiteral("Deutsch")}));

  languages.loadLanguage(QStringLiteral("deutsch"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("FRMMAIN_CMDADDFEED")), QStringLiteral("Feed hinzufügen"));
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_BUSY")), QStringLiteral("Beschäftigt"));
  // A lower-case token at the start is replaced and the result capitalized; the caption replaces [Website] too.
  EXPECT_EQ(
      languages.getCaption(QStringLiteral("MSG_TRAY")),
      identity.programName + QStringLiteral(" von ") + identity.companyName + QStringLiteral(", ") + identity.website);
  // An empty translation keeps the English default.
  EXPECT_EQ(languages.getCaption(QStringLiteral("MSG_DELETE1")), QString());
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_DELETE1")), QStringLiteral("You are attempting to delete the "));
  // A line without its closing tag is no entry; a later complete one is.
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_lblBroken")), QStringLiteral("Zweite Zeile"));
  // Keys of the German group only: the English one was not loaded.
  EXPECT_EQ(languages.getCaption(QStringLiteral("FRMMAIN_CAPTION")), QString());

  // A language the file does not hold applies its English group.
  languages.loadLanguage(QStringLiteral("Klingon"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_cmdAddFeed")), QStringLiteral("Add Feed"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmmain_caption")), identity.programName + QStringLiteral(" main"));
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_DELETE3")), QStringLiteral("Continue, please?"));
}

TEST_F(LanguagesTest, LinuxLineBreaksAndAlternativeTagSpellingsWork) {
  QByteArray text = localizationFile({{QStringLiteral("Deutsch"), kGerman}}, "\n");
  text.replace("</LANGUAGE_GROUP>", "</Language_group>");
  text.replace("<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>", "<language_name>Deutsch</language_name>");
  writeFile(text);
  EXPECT_EQ(languages.ListLanguages(), QStringList{QStringLiteral("Deutsch")});
  languages.loadLanguage(QStringLiteral("Deutsch"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_cmdAddFeed")), QStringLiteral("Feed hinzufügen"));
}

TEST_F(LanguagesTest, NoFileOrNoMatchingGroupKeepsTheDefaults) {
  EXPECT_FALSE(languages.LangFileExists());
  EXPECT_TRUE(languages.ListLanguages().isEmpty());
  languages.loadLanguage(QStringLiteral("Deutsch"));
  EXPECT_TRUE(languages.translationLines().isEmpty());
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_DELETE3")), QStringLiteral("Continue?"));

  writeFile({{QStringLiteral("Français"), {QStringLiteral("<MSG_DELETE3>Continuer ?</MSG_DELETE3>")}}});
  languages.loadLanguage(QStringLiteral("Deutsch"));
  EXPECT_TRUE(languages.translationLines().isEmpty());
  EXPECT_EQ(languages.getMessages(QStringLiteral("MSG_DELETE3")), QStringLiteral("Continue?"));
}

TEST_F(LanguagesTest, DamagedFilesLoadWhatTheyCan) {
  QByteArray unclosed = localizationFile({{QStringLiteral("English"), kEnglish}, {QStringLiteral("Deutsch"), kGerman}});
  unclosed.replace("</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>", "");
  QByteArray unclosedFirst =
      localizationFile({{QStringLiteral("Deutsch"), kGerman}, {QStringLiteral("English"), kEnglish}});
  unclosedFirst.replace("</LANGUAGE_GROUP>", "");  // every group: each ends where the next begins

  QStringList many;
  for (int i = 0; i < 10000; ++i) many << QStringLiteral("<KEY_%1>value %1</KEY_%1>").arg(i);
  QByteArray invalidUtf8 = localizationFile({{QStringLiteral("Deutsch"), kGerman}});
  invalidUtf8.replace("beschäftigt",
                      "besch\xe4\xff\xfe"
                      "ftigt");
  const QByteArray latin1 = QString::fromUtf8(localizationFile({{QStringLiteral("Deutsch"), kGerman}})).toLatin1();
  QByteArray withBom = "\xef\xbb\xbf" + localizationFile({{QStringLiteral("Deutsch"), kGerman}});

  struct Case {
    const char* name;
    QByteArray file;
    QString language;
    QString key;
    QString expected;
    QStringList languages;
  };
  const Case cases[] = {
      {"no groups",
       "<?xml version=\"1.0\"?>\r\n<XML_DIZ_INFO>\r\n<MSG_BUSY>x</MSG_BUSY>\r\n</XML_DIZ_INFO>\r\n",
       "Deutsch",
       "MSG_BUSY",
       "",
       {}},
      {"empty file", "", "English", "MSG_BUSY", "", {}},
      {"last group unclosed", unclosed, "Deutsch", "frmMain_cmdAddFeed", "Feed hinzufügen", {"English", "Deutsch"}},
      {"groups without closing tags",
       unclosedFirst,
       "English",
       "frmMain_cmdAddFeed",
       "Add Feed",
       {"Deutsch", "English"}},
      {"10,000 lines", localizationFile({{QStringLiteral("Big"), many}}), "Big", "key_9999", "Value 9999", {"Big"}},
      // One damaged sequence costs only itself; a file in the legacy code page still reads.
      {"invalid UTF-8", invalidUtf8, "Deutsch", "frmMain_cmdAddFeed", "Feed hinzufügen", {"Deutsch"}},
      {"Windows-1252 file", latin1, "Deutsch", "MSG_BUSY", "Beschäftigt", {"Deutsch"}},
      {"byte order mark", withBom, "Deutsch", "frmMain_cmdAddFeed", "Feed hinzufügen", {"Deutsch"}},
      {"binary garbage", QByteArray("\0\x01<LANGUAGE_GROUP\xff\0<<>>", 21), "English", "x", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(c.file);
    languages.loadLanguage(c.language);
    EXPECT_EQ(languages.getCaption(c.key), c.expected);
    EXPECT_EQ(languages.ListLanguages(), c.languages);
  }
}

TEST_F(LanguagesTest, TrimPathRemovesOneTrailingSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program\\", "C:\\Program"}, {"/opt/tidewell/", "/opt/tidewell"}, {"/opt", "/opt"}, {"", ""}};
  for (const auto& [path, expected] : cases) EXPECT_EQ(clsLanguages::LangTrimPath(path), QString(expected)) << path;
}

TEST_F(LanguagesTest, AnAppendedEnglishGroupReadsBack) {
  writeFile({{QStringLiteral("Deutsch"), kGerman}});
  const QByteArray before = home.read(QStringLiteral("Localization.txt"));
  const QList<QPair<QString, QString>> entries = {
      {clsLanguages::controlKey(QStringLiteral("frmMain"), QStringLiteral("cmdAddFeed")), QStringLiteral("Add Feed")},
      {clsLanguages::tabKey(QStringLiteral("frmMain"), QStringLiteral("tabs"), 2), QStringLiteral("Second")},
      {clsLanguages::columnKey(QStringLiteral("frmMain"), QStringLiteral("lstItems"), 1), QStringLiteral("Title")},
      {clsLanguages::arrayKey(QStringLiteral("frmAppSettings"), QStringLiteral("optClose"), 1), QStringLiteral("Tray")},
      {clsLanguages::controlKey(QStringLiteral("frmMain"), QStringLiteral("lblNote")), QStringLiteral("two\nlines")},
      {clsLanguages::windowCaptionKey(QStringLiteral("frmMain")), QStringLiteral("Main")},
  };
  ASSERT_TRUE(languages.writeEnglishGroup(entries));
  const QByteArray after = home.read(QStringLiteral("Localization.txt"));
  EXPECT_TRUE(after.startsWith(before));
  EXPECT_TRUE(after.contains("<LANGUAGE_GROUP xml:lang=\"en\">\r\n"));
  EXPECT_TRUE(after.contains("<frmMain_tabs_TABS2>Second</frmMain_tabs_TABS2>\r\n"));
  EXPECT_TRUE(after.contains("<frmMain_lstItems_COL1>Title</frmMain_lstItems_COL1>\r\n"));
  EXPECT_TRUE(after.contains("<frmAppSettings_optClose1>Tray</frmAppSettings_optClose1>\r\n"));
  EXPECT_TRUE(after.contains("<FRMMAIN_CAPTION>Main</FRMMAIN_CAPTION>\r\n"));

  EXPECT_EQ(languages.ListLanguages(), (QStringList{QStringLiteral("Deutsch"), QStringLiteral("English")}));
  languages.loadLanguage(QStringLiteral("English"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_cmdAddFeed")), QStringLiteral("Add Feed"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_lblNote")), QStringLiteral("Two lines"));
  EXPECT_EQ(clsLanguages::captionMessageKey(QStringLiteral("frmScheduler")), QStringLiteral("CAPTION_FRMSCHEDULER"));
}

// The developer command writes the English group again on every press: it
// replaces the group (keeping entries of windows not written this time) and
// folds the extra groups older builds appended into it, so the language
// list names English once.
TEST_F(LanguagesTest, WritingTheEnglishGroupAgainReplacesIt) {
  QByteArray file = localizationFile({{QStringLiteral("English"), kEnglish}, {QStringLiteral("Deutsch"), kGerman}});
  file += clsLanguages::englishGroupText({{QStringLiteral("frmOld_lblGone"), QStringLiteral("Old")}}).toUtf8();
  writeFile(file);
  const QList<QPair<QString, QString>> entries = {
      {QStringLiteral("frmMain_cmdAddFeed"), QStringLiteral("Add New Feed")},
      {QStringLiteral("frmMain_cmdEmail"), QStringLiteral("Send")}};
  ASSERT_TRUE(languages.writeEnglishGroup(entries));
  ASSERT_TRUE(languages.writeEnglishGroup(entries));
  EXPECT_EQ(languages.ListLanguages(), (QStringList{QStringLiteral("English"), QStringLiteral("Deutsch")}));
  languages.loadLanguage(QStringLiteral("English"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_cmdAddFeed")), QStringLiteral("Add New Feed"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_cmdEmail")), QStringLiteral("Send"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("MSG_DELETE3")), QStringLiteral("Continue, please?"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmOld_lblGone")), QStringLiteral("Old"));
  languages.loadLanguage(QStringLiteral("Deutsch"));
  EXPECT_EQ(languages.getCaption(QStringLiteral("frmMain_cmdAddFeed")), QStringLiteral("Feed hinzufügen"));
}

// A box's English text finds its message in the table: whole, with parts
// filled in at run time, or as the opening of a longer text.
TEST_F(LanguagesTest, EnglishTextsFindTheirTranslation) {
  writeFile({{QStringLiteral("Deutsch"),
              {QStringLiteral("<MSG_WND_CATNAMETITLE>Name der Kategorie?</MSG_WND_CATNAMETITLE>"),
               QStringLiteral("<MSG_WND_MOVEFEED>Von „%1“ nach „%2“?</MSG_WND_MOVEFEED>"),
               QStringLiteral("<MSG_WND_ERRORLINE>Fehler in Zeile </MSG_WND_ERRORLINE>")}}});
  EXPECT_EQ(languages.translate(QStringLiteral("Category Name?")), QStringLiteral("Category Name?"));
  languages.loadLanguage(QStringLiteral("Deutsch"));
  const std::pair<const char*, const char*> cases[] = {
      {"Category Name?", "Name der Kategorie?"},
      {"Are you sure you want to move selected Feed from \"News\" to \"Art\" category?", "Von „News“ nach „Art“?"},
      {"Error on Line 3\r\n\r\nNo disk", "Fehler in Zeile 3\r\n\r\nNo disk"},
      {"A text the table does not know", "A text the table does not know"},
      {"", ""},
  };
  for (const auto& [english, german] : cases) {
    EXPECT_EQ(languages.translate(QString::fromUtf8(english)), QString::fromUtf8(german)) << english;
  }
}

// The program folder's shipped file serves until the application folder has
// its own; a group written by the developer command starts from its content.
TEST_F(LanguagesTest, TheShippedFileServesUntilTheApplicationFolderHasOne) {
  home.write(QStringLiteral("program/Localization.txt"), localizationFile({{QStringLiteral("Deutsch"), kGerman}}));
  QDir(home.path()).mkpath(QStringLiteral("app"));
  clsLanguages shipped(identity, AppPaths(home.file(QStringLiteral("app")), home.file(QStringLiteral("program"))));
  EXPECT_TRUE(shipped.LangFileExists());
  EXPECT_EQ(shipped.ListLanguages(), QStringList{QStringLiteral("Deutsch")});

  ASSERT_TRUE(shipped.writeEnglishGroup({{QStringLiteral("frmMain_cmdAddFeed"), QStringLiteral("Add Feed")}}));
  EXPECT_TRUE(QFile::exists(home.file(QStringLiteral("app/Localization.txt"))));
  EXPECT_EQ(shipped.ListLanguages(), (QStringList{QStringLiteral("Deutsch"), QStringLiteral("English")}));
  EXPECT_EQ(home.read(QStringLiteral("program/Localization.txt")),
            localizationFile({{QStringLiteral("Deutsch"), kGerman}}));
}

}  // namespace
