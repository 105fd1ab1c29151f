#include "core/AppIdentity.h"
#include "l10n/clsLanguages.h"
#include "l10n/ui/WindowLocalizer.h"
#include "support/TempHome.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::TempHome;

namespace {

const char* const kFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<XML_DIZ_INFO>\r\n"
    "<LANGUAGE_GROUP xml:lang=\"en\">\r\n"
    "<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
    "<TRANSLATION_ITEMS>\r\n"
    "<frmMain_cmdAddFeed>Add Feed</frmMain_cmdAddFeed>\r\n"
    "</TRANSLATION_ITEMS>\r\n"
    "</LANGUAGE_GROUP>\r\n"
    "<LANGUAGE_GROUP xml:lang=\"de\">\r\n"
    "<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
    "<TRANSLATION_ITEMS>\r\n"
    "<frmMain_cmdAddFeed>Feed hinzufügen</frmMain_cmdAddFeed>\r\n"
    "<frmMain_lblStatus></frmMain_lblStatus>\r\n"
    "<frmMain_chkDontShow>Nicht mehr zeigen</frmMain_chkDontShow>\r\n"
    "<frmMain_fmOptions>Optionen</frmMain_fmOptions>\r\n"
    "<frmMain_optClose0>Beenden</frmMain_optClose0>\r\n"
    "<frmMain_optClose1>In den Infobereich</frmMain_optClose1>\r\n"
    "<frmMain_tabMain_TABS2>Zweiter</frmMain_tabMain_TABS2>\r\n"
    "<frmMain_lstItems_COL1>Titel</frmMain_lstItems_COL1>\r\n"
    "<frmMain_mnuFile>&amp;Datei</frmMain_mnuFile>\r\n"
    "<frmMain_mnuFileExit>B&eenden</frmMain_mnuFileExit>\r\n"
    "<frmMain_cmdInside>Darf nicht</frmMain_cmdInside>\r\n"
    "<FRMMAIN_CAPTION>[ProgramName] Hauptfenster</FRMMAIN_CAPTION>\r\n"
    "<MSG_DELETE3>Weiter?</MSG_DELETE3>\r\n"
    "</TRANSLATION_ITEMS>\r\n"
    "</LANGUAGE_GROUP>\r\n"
    "</XML_DIZ_INFO>\r\n";

template <typename T>
T* named(QWidget* parent, const char* name) {
  auto* widget = new T(parent);
  widget->setObjectName(QString::fromLatin1(name));
  parent->layout()->addWidget(widget);
  return widget;
}

}  // namespace

class WindowLocalizerTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    home = std::make_unique<TempHome>();
    home->write(QStringLiteral("Localization.txt"), kFile);
    languages = std::make_unique<clsLanguages>(AppIdentity(), AppPaths(home->path(), home->path()));
    buildWindow();
  }

  void recaptionsEveryKindOfControl() {
    WindowLocalizer localizer(*languages);
    localizer.ChangeLanguageMDI(window.get(), QStringLiteral("Deutsch"));

    QCOMPARE(addFeed->text(), QStringLiteral("Feed hinzufügen"));
    QCOMPARE(status->text(), QStringLiteral("Ready"));  // empty translation keeps the caption
    QCOMPARE(dontShow->text(), QStringLiteral("Nicht mehr zeigen"));
    QCOMPARE(options->title(), QStringLiteral("Optionen"));
    QCOMPARE(optExit->text(), QStringLiteral("Beenden"));
    QCOMPARE(optTray->text(), QStringLiteral("In den Infobereich"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("First"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Zweiter"));
    QCOMPARE(items->headerItem()->text(0), QStringLiteral("Titel"));
    QCOMPARE(items->headerItem()->text(1), QStringLiteral("Date"));
    QCOMPARE(fileMenu->title(), QStringLiteral("&amp;Datei"));
    QCOMPARE(exitAction->text(), QStringLiteral("B&eenden"));
    QCOMPARE(window->windowTitle(), AppIdentity().programName + QStringLiteral(" Hauptfenster"));
    // A window nested inside localizes itself under its own name.
    QCOMPARE(inside->text(), QStringLiteral("Inside"));
    QCOMPARE(languages->getMessages(QStringLiteral("MSG_DELETE3")), QStringLiteral("Weiter?"));

    // Back to English: only what the English group holds changes again.
    localizer.ChangeLanguage(window.get(), QStringLiteral("English"));
    QCOMPARE(addFeed->text(), QStringLiteral("Add Feed"));
    QCOMPARE(options->title(), QStringLiteral("Optionen"));
  }

  void unknownLanguageAppliesEnglish() {
    addFeed->setText(QStringLiteral("design time"));
    WindowLocalizer(*languages).ChangeLanguage(window.get(), QStringLiteral("Klingon"));
    QCOMPARE(addFeed->text(), QStringLiteral("Add Feed"));
    QCOMPARE(window->windowTitle(), QStringLiteral("design caption"));
  }

  void localizationFileFromTheOpenWindows() {
    home->write(QStringLiteral("Localization.txt"), QByteArray());
    WindowLocalizer localizer(*languages);
    QVERIFY(localizer.makeLocalizationFile({window.get()}));
    const QString text = QString::fromUtf8(home->read(QStringLiteral("Localization.txt")));
    for (const char* line :
         {"<frmMain_cmdAddFeed>Add</frmMain_cmdAddFeed>", "<frmMain_optClose1>Tray</frmMain_optClose1>",
          "<frmMain_tabMain_TABS2>Second</frmMain_tabMain_TABS2>",
          "<frmMain_lstItems_COL2>Date</frmMain_lstItems_COL2>", "<frmMain_mnuFileExit>Exit</frmMain_mnuFileExit>",
          "<FRMMAIN_CAPTION>design caption</FRMMAIN_CAPTION>"}) {
      QVERIFY2(text.contains(QString::fromUtf8(line) + QStringLiteral("\r\n")), line);
    }
    QVERIFY(!text.contains(QStringLiteral("cmdInside")));
    // The window caption entry closes the window's entries.
    QVERIFY(text.indexOf(QStringLiteral("FRMMAIN_CAPTION")) > text.indexOf(QStringLiteral("mnuFileExit")));

    // What was written applies back to a changed window.
    addFeed->setText(QStringLiteral("changed"));
    localizer.ChangeLanguage(window.get(), QStringLiteral("English"));
    QCOMPARE(addFeed->text(), QStringLiteral("Add"));
  }

 private:
  void buildWindow() {
    window = std::make_unique<QMainWindow>();
    window->setObjectName(QStringLiteral("frmMain"));
    window->setWindowTitle(QStringLiteral("design caption"));
    auto* central = new QWidget(window.get());
    central->setLayout(new QVBoxLayout);
    window->setCentralWidget(central);

    addFeed = named<QPushButton>(central, "cmdAddFeed");
    addFeed->setText(QStringLiteral("Add"));
    status = named<QLabel>(central, "lblStatus");
    status->setText(QStringLiteral("Ready"));
    dontShow = named<QCheckBox>(central, "chkDontShow");
    options = named<QGroupBox>(central, "fmOptions");
    options->setLayout(new QVBoxLayout);
    optExit = named<QRadioButton>(options, "optClose");
    optExit->setProperty(WindowLocalizer::kIndexProperty, 0);
    optExit->setText(QStringLiteral("Exit"));
    optTray = named<QRadioButton>(options, "optClose");
    optTray->setProperty(WindowLocalizer::kIndexProperty, 1);
    optTray->setText(QStringLiteral("Tray"));
    tabs = named<QTabWidget>(central, "tabMain");
    tabs->addTab(new QWidget, QStringLiteral("First"));
    tabs->addTab(new QWidget, QStringLiteral("Second"));
    items = named<QTreeWidget>(central, "lstItems");
    items->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Date")});

    auto* panel = named<QWidget>(central, "frmOptionBar");
    panel->setLayout(new QVBoxLayout);
    inside = named<QPushButton>(panel, "cmdInside");
    inside->setText(QStringLiteral("Inside"));

    fileMenu = window->menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("mnuFile"));
    exitAction = fileMenu->addAction(QStringLiteral("Exit"));
    exitAction->setObjectName(QStringLiteral("mnuFileExit"));
    fileMenu->addSeparator();
  }

  std::unique_ptr<TempHome> home;
  std::unique_ptr<clsLanguages> languages;
  std::unique_ptr<QMainWindow> window;
  QPushButton* addFeed = nullptr;
  QLabel* status = nullptr;
  QCheckBox* dontShow = nullptr;
  QGroupBox* options = nullptr;
  QRadioButton* optExit = nullptr;
  QRadioButton* optTray = nullptr;
  QTabWidget* tabs = nullptr;
  QTreeWidget* items = nullptr;
  QPushButton* inside = nullptr;
  QMenu* fileMenu = nullptr;
  QAction* exitAction = nullptr;
};

QTEST_MAIN(WindowLocalizerTest)
#include "WindowLocalizerTest.moc"
