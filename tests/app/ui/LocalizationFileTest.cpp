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

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <memory>
#include <vector>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

// Every window of the desktop program, built in English over a fresh folder.
struct AllWindows : AppFixture {
  explicit AllWindows(const QString& language = QStringLiteral("English")) {
    context.userStore.setUserValue("Settings", "Language", language);
    context.userStore.setUserValue("Settings", "showHelp", "0");
    context.currentLanguage = language;
    main = std::make_unique<frmMain>(context);
    main->runModal = [](QDialog&) { return int(QDialog::Rejected); };
    main->scheduleLogWriter = [](const QString&) {};
    main->Form_Load();
    auto own = [this](QWidget* window) {
      owned.emplace_back(window);
      return window;
    };
    windows = {main.get(), main->optionBar()};
    windows << own(new frmViewFeed(context, *main));
    windows << own(new frmCategory(context, frmCategory::AddMode, QString(), {}));
    auto* addFeed = new frmAddFeed(context, {});
    addFeed->Form_Load();
    windows << own(addFeed);
    windows << own(new frmScheduler(context));
    windows << own(new frmEmailSettings(context));
    windows << own(new frmAppSettings(context));
    windows << own(new frmLanguage(context, {}));
    windows << own(new frmConfirmClose(context));
    windows << own(new frmNotification(context.languages));
    windows << own(new frmSendEmail(context, EmailItem{}));
    windows << own(new frmAbout(context, {}));
    windows << own(new frmSplash(context));
  }

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
