#include "app/AppContext.h"
#include "app/ui/MainMenus.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmConfirmClose.h"
#include "app/ui/frmMain.h"
#include "app/ui/frmSplash.h"
#include "email/ui/frmSendEmail.h"
#include "feeddb/ui/frmAddFeed.h"
#include "feeddb/ui/frmCategory.h"
#include "feeddb/ui/frmOptionBar.h"
#include "feeds/ui/frmViewFeed.h"
#include "l10n/ui/WindowLocalizer.h"
#include "l10n/ui/frmLanguage.h"
#include "scheduler/ui/frmNotification.h"
#include "scheduler/ui/frmScheduler.h"
#include "settings/ui/frmAppSettings.h"
#include "settings/ui/frmEmailSettings.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/ui/FakePlatform.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <memory>
#include <vector>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::FakePlatform;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

// Every window of the desktop program, built in English over a fresh folder.
struct AllWindows : AppFixture {
  explicit AllWindows(const QString& language = QStringLiteral("English")) {
    context.userStore.setUserValue("Settings", "Language", language);
    context.userStore.setUserValue("Settings", "showHelp", "0");
    context.currentLanguage = language;
    main = std::make_unique<frmMain>(context, platform);
    main->Form_Load();
    auto own = [this](QWidget* window) {
      owned.emplace_back(window);
      return window;
    };
    windows = {main.get(), main->optionBar()};
    windows << own(new frmViewFeed(context, platform, *main, FeedRecord{}));
    windows << own(new frmCategory(context, frmCategory::AddMode, QString(), {}));
    auto* addFeed = new frmAddFeed(context, platform, {});
    addFeed->Form_Load();
    windows << own(addFeed);
    windows << own(new frmScheduler(context));
    windows << own(new frmEmailSettings(context));
    windows << own(new frmAppSettings(context));
    windows << own(new frmLanguage(context, platform, {}));
    windows << own(new frmConfirmClose(context));
    windows << own(new frmNotification(context.languages, platform));
    windows << own(new frmSendEmail(context, platform, EmailItem{}));
    windows << own(new frmAbout(context));
    windows << own(new frmSplash(context));
  }

  FakePlatform platform;
  std::unique_ptr<frmMain> main;
  std::vector<std::unique_ptr<QWidget>> owned;
  QList<QWidget*> windows;
};

// The TRANSLATION_ITEMS lines of a group of a localization text, as key -> text.
QList<QPair<QString, QString>> groupItems(const QString& text, const QString& language) {
  QList<QPair<QString, QString>> items;
  const qsizetype name =
      text.indexOf(QStringLiteral("<LANGUAGE_NAME>") + language + QStringLiteral("</LANGUAGE_NAME>"));
  if (name < 0) return items;
  const qsizetype begin = text.indexOf(QStringLiteral("<TRANSLATION_ITEMS>"), name);
  const qsizetype end = text.indexOf(QStringLiteral("</TRANSLATION_ITEMS>"), begin);
  static const QRegularExpression entry(QStringLiteral("^\\s*<([A-Za-z0-9_]+)>(.*)</\\1>\\s*$"));
  for (const QString& line : text.mid(begin, end - begin).split(QLatin1Char('\n'))) {
    const QRegularExpressionMatch m = entry.match(line.trimmed());
    if (m.hasMatch()) items.append({m.captured(1), m.captured(2)});
  }
  return items;
}

// Captions the program computes at run time (the date, the identity, the
// version) or never shows (hidden sort columns): a translation would freeze them.
bool computedAtRunTime(const QPair<QString, QString>& entry) {
  static const QStringList keys{"frmMain_ucStatusPanel2",    "FRMMAIN_CAPTION",     "frmOptionBar_tvCategories_COL1",
                                "frmViewFeed_lstItems_COL3", "frmAbout_lblProgram", "frmAbout_lblVersion",
                                "frmAbout_lblCompany",       "frmAbout_lblWebsite", "FRMSPLASH_CAPTION"};
  return entry.second.isEmpty() || keys.contains(entry.first);
}

// Every text a window shows, keyed by where it is (the window, the path of
// child positions and the widget's kind), so the same window built in two
// languages can be compared text by text.
void collectTexts(QWidget* widget, const QString& path, QMap<QString, QString>& out) {
  auto put = [&](const QString& what, QString text) {
    text.remove(QLatin1Char('&'));
    text = text.simplified();
    if (!text.isEmpty()) out.insert(path + QLatin1Char(':') + what, text);
  };
  if (widget->isWindow()) put(QStringLiteral("title"), widget->windowTitle());
  if (auto* dock = qobject_cast<QDockWidget*>(widget)) put(QStringLiteral("title"), dock->windowTitle());
  if (auto* label = qobject_cast<QLabel*>(widget)) put(QStringLiteral("text"), label->text());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    put(QStringLiteral("text"), button->text());
    put(QStringLiteral("tip"), button->toolTip());
  }
  if (auto* group = qobject_cast<QGroupBox*>(widget)) put(QStringLiteral("title"), group->title());
  if (auto* line = qobject_cast<QLineEdit*>(widget)) put(QStringLiteral("placeholder"), line->placeholderText());
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) put(QStringLiteral("text"), edit->toPlainText());
  if (auto* edit = qobject_cast<QTextEdit*>(widget)) put(QStringLiteral("placeholder"), edit->placeholderText());
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    put(QStringLiteral("placeholder"), combo->placeholderText());
    if (!combo->isEditable()) {
      for (int i = 0; i < combo->count(); ++i) put(QStringLiteral("item%1").arg(i), combo->itemText(i));
    }
  }
  if (auto* bar = qobject_cast<QStatusBar*>(widget)) put(QStringLiteral("message"), bar->currentMessage());
  if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
    for (int c = 0; c < tree->columnCount(); ++c) {
      if (!tree->isColumnHidden(c) && !tree->header()->isHidden()) {
        put(QStringLiteral("column%1").arg(c), tree->headerItem()->text(c));
      }
    }
    if (tree->topLevelItemCount() > 0) put(QStringLiteral("root"), tree->topLevelItem(0)->text(0));
  }
  if (auto* menu = qobject_cast<QMenu*>(widget)) put(QStringLiteral("title"), menu->title());
  for (QAction* action : widget->actions()) {
    if (!action->isSeparator()) put(QStringLiteral("action:") + action->objectName(), action->text());
  }
  int index = 0;
  for (QObject* child : widget->children()) {
    auto* sub = qobject_cast<QWidget*>(child);
    if (sub == nullptr) continue;
    ++index;
    // Windows of their own are walked as such.
    if (sub->objectName().startsWith(QLatin1String("frm")) || qobject_cast<QMdiSubWindow*>(sub)) continue;
    collectTexts(sub, path + QLatin1Char('/') + QString::number(index) + sub->metaObject()->className(), out);
  }
}

QMap<QString, QString> windowTexts(AllWindows& all) {
  QMap<QString, QString> texts;
  for (QWidget* window : all.windows) {
    // The pop-up localizes itself when it is shown.
    if (window->objectName() == QLatin1String("frmNotification")) {
      WindowLocalizer(all.context.languages).applyLoaded(window);
    }
    collectTexts(window, window->objectName(), texts);
  }
  return texts;
}

QString shippedText() {
  QFile file(TempHome::sourceDir() + QStringLiteral("/data/Localization.txt"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace

class LocalizationFileTest : public QObject {
  Q_OBJECT

 private slots:
  // The English group is what makeLocalizationFile writes from every window,
  // followed by the default messages. TIDEWELL_WRITE_ENGLISH_GROUP=<file>
  // writes the group afresh after a window changed.
  void englishGroupCoversEveryWindow() {
    AllWindows all;
    QVERIFY(WindowLocalizer(all.context.languages).makeLocalizationFile(all.windows));
    QFile written(all.context.paths.localizationTarget());
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    QList<QPair<QString, QString>> expected;
    // The last English group is the one just appended.
    const qsizetype last = text.lastIndexOf(QStringLiteral("<LANGUAGE_NAME>English</LANGUAGE_NAME>"));
    for (const auto& entry : groupItems(text.mid(last - 40), QStringLiteral("English"))) {
      if (!computedAtRunTime(entry) && !expected.contains(entry)) expected.append(entry);
    }
    QVERIFY(expected.size() > 100);
    for (const auto& message : clsLanguages::defaultMessages()) expected.append(message);

    const QString target = qEnvironmentVariable("TIDEWELL_WRITE_ENGLISH_GROUP");
    if (!target.isEmpty()) {
      QFile out(target);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(clsLanguages::englishGroupText(expected).toUtf8());
      return;
    }
    const QList<QPair<QString, QString>> shipped = groupItems(shippedText(), QStringLiteral("English"));
    QStringList missing;
    for (const auto& item : expected) {
      if (!shipped.contains(item)) missing << item.first + QLatin1Char('=') + item.second;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
  }

  void germanTranslatesEveryEntry() {
    const QString text = shippedText();
    const QList<QPair<QString, QString>> english = groupItems(text, QStringLiteral("English"));
    const QList<QPair<QString, QString>> german = groupItems(text, QStringLiteral("Deutsch"));
    QStringList untranslated;
    for (const auto& [key, value] : english) {
      auto it = std::find_if(german.begin(), german.end(), [&](const auto& g) { return g.first == key; });
      if (it == german.end() || it->second.trimmed().isEmpty()) untranslated << key;
    }
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char(' '))));
  }

  // Every window in German: no text is left as its English design caption,
  // and the boxes speak German too. Words the two languages share are fine.
  void everyWindowIsGerman() {
    AllWindows english;
    AllWindows german(QStringLiteral("Deutsch"));
    const QMap<QString, QString> en = windowTexts(english);
    const QMap<QString, QString> de = windowTexts(german);
    QVERIFY(en.size() > 150);
    QCOMPARE(QStringList(de.keys()), QStringList(en.keys()));
    // Shared words, and the languages' own names in the language list.
    static const QStringList shared{"OK",  "Feed",     "Port:",   "Proxy:",  "(Optional)",
                                    "...", "https://", "English", "Deutsch", "Feeds"};
    const QString identity = english.context.identity.programName;
    QStringList english_left;
    for (auto it = en.cbegin(); it != en.cend(); ++it) {
      const QString& text = it.value();
      if (de.value(it.key()) != text || shared.contains(text)) continue;
      // The feeds on the schedule list are the user's names.
      if (it.key().startsWith(QLatin1String("frmScheduler/")) && it.key().endsWith(QLatin1String(":root"))) continue;
      // The program's name, version, company and the date are no words.
      if (text.contains(identity) || text.contains(english.context.identity.companyName) ||
          text.contains(english.context.identity.version) || text.contains(QStringLiteral("://")) ||
          text == QLocale().toString(QDate::currentDate(), QStringLiteral("dddd, dd MMMM yyyy")) ||
          !text.contains(QRegularExpression("[A-Za-z]{2}"))) {
        continue;
      }
      english_left << it.key() + QStringLiteral(" = ") + text;
    }
    QVERIFY2(english_left.isEmpty(), qPrintable(english_left.join(QLatin1Char('\n'))));

    // A box from a window and one from the feed logic.
    auto* category = qobject_cast<frmCategory*>(german.windows[3]);
    QVERIFY(category != nullptr);
    category->btnOK()->click();
    QCOMPARE(german.messages.last().title, QStringLiteral("Name der Kategorie?"));
    german.platform.connected = false;
    frmAddFeed addFeed(german.context, german.platform, {});
    addFeed.Form_Load();
    QCOMPARE(addFeed.windowTitle(), QStringLiteral("Neuen Feed hinzufügen ..."));
    addFeed.txtURL()->setText("http://127.0.0.1:1/feed.xml");
    addFeed.btnOK()->click();
    QCOMPARE(german.messages.last().title, QStringLiteral("Kein Zugang zum Internet!"));

    // Every message of the table has its German text.
    QStringList untranslated;
    for (const auto& [key, text] : clsLanguages::defaultMessages()) {
      if (german.context.languages.getMessages(key) == english.context.languages.getMessages(key)) untranslated << key;
    }
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char(' '))));
  }

  void windowsOpenInGerman() {
    AllWindows all(QStringLiteral("Deutsch"));
    auto* scheduler = all.windows[5];
    QCOMPARE(scheduler->objectName(), QStringLiteral("frmScheduler"));
    QCOMPARE(scheduler->windowTitle(), QStringLiteral("Zeitplaner"));
    QCOMPARE(scheduler->findChild<QPushButton*>("btnCancel")->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(scheduler->findChild<QComboBox*>("cmbInterval")->itemText(5), QStringLiteral("Jede Stunde"));
    QCOMPARE(all.main->menus().mnuSysTrayExit->text(), QStringLiteral("Beenden"));
  }
};

QTEST_MAIN(LocalizationFileTest)
#include "LocalizationFileTest.moc"
