#include "app/AppContext.h"
#include "app/ScheduleTimer.h"
#include "app/ui/MainMenus.h"
#include "app/ui/ScheduleController.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmMain.h"
#include "app/ui/frmSplash.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/frmOptionBar.h"
#include "feeds/ui/frmViewFeed.h"
#include "l10n/ui/frmLanguage.h"
#include "scheduler/mScheduler.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

struct Harness : AppFixture {
  explicit Harness(bool firstRun = false) {
    if (!firstRun) {
      context.userStore.setUserValue("Settings", "Language", "English");
      context.userStore.setUserValue("Settings", "showHelp", "0");
    }
    // No confirmation window in these tests: a close goes ahead.
    context.settings.SetConfirmClose(false);
    // Modal dialogs (the first-run language window ...) are recorded, not run.
    window = std::make_unique<frmMain>(context, platform);
    QObject::connect(&window->schedule(), &ScheduleController::logged, [this](const QString& text) { log << text; });
  }
  void load() { window->Form_Load(); }

  tidewell::test::FakePlatform platform;
  std::unique_ptr<frmMain> window;
  QStringList& opened = platform.opened;
  QStringList log;
  QStringList& modals = platform.modals;
};

QByteArray slowFeed() {
  return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>S</title><item><title>One</title>"
         "<link>http://example.invalid/1</link><pubDate>Sat, 07 Sep 2002 00:00:01 GMT</pubDate>"
         "<description>d</description></item></channel></rss>";
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void loadSequenceFirstRun() {
    Harness h(true);
    QVERIFY(!QFile::exists(h.context.paths.feedsDb()));
    h.load();
    QVERIFY(QFile::exists(h.context.paths.dataFolder()));
    QFile shipped(h.context.paths.defaultFdb());
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QCOMPARE(h.home.read("feeds.fdb"), shipped.readAll());
    QVERIFY(h.window->tvCategories()->rootItem()->childCount() > 0);
    QCOMPARE(h.context.userStore.userValue("Settings", "Language", ""), QStringLiteral("English"));
    QCOMPARE(h.context.userStore.userValue("Settings", "showHelp", "1"), QStringLiteral("0"));
    QCOMPARE(h.opened, QStringList{h.context.paths.helpFile()});
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Tidewell by ") + h.context.identity.companyName);
    QCOMPARE(h.window->menus().cmdWebsite->toolTip(), QStringLiteral("Visit ") + h.context.identity.website);
    QVERIFY(!h.window->statusPanel(2)->text().isEmpty());
    QVERIFY(!h.window->tmrSchedule().isEnabled());

    // The second start opens no help and keeps an existing database.
    Harness again;
    again.home.write("feeds.fdb", "<categories><category name=\"Mine\"/></categories>");
    again.load();
    QVERIFY(again.opened.isEmpty());
    QCOMPARE(again.home.read("feeds.fdb"), QByteArray("<categories><category name=\"Mine\"/></categories>"));
  }

  void menusCarryTheirControlNames() {
    Harness h;
    h.load();
    for (const char* name :
         {"mnuFileItem",       "mnuCatNew",           "mnuCatEdit",          "mnuCatDel",
          "mnuCatNewFeed",     "mnuCatRefresh",       "mnuFeedsCheck",       "mnuFeedsOpen",
          "mnuFeedsAdd",       "mnuFeedsEdit",        "mnuFeedsDel",         "mnuToolsEmailSettings",
          "mnuToolsSchedule",  "mnuToolsAppSettings", "mnuToolsSendByEmail", "mnuToolsExecuteSchedule",
          "mnuToolsOptionBar", "mnuSubItem",          "mnuLanguageItem",     "mnuHelpFile",
          "mnuAboutItem",      "mnuHelpWebsite",      "mnuFeedItemShow",     "mnuFeedItemOnline",
          "mnuFeedItemDel",    "mnuFeedItemEmail",    "mnuSysTrayShow",      "mnuSysTrayExit"}) {
      QVERIFY2(h.window->findChild<QAction*>(QLatin1String(name)), name);
    }
    for (const char* name : {"cmdAddCat", "cmdAddFeed", "cmdEmail", "cmdSchedule", "cmdSettings", "cmdToggle",
                             "cmdWindows", "cmdWebsite"}) {
      auto* button = h.window->findChild<QToolButton*>(QLatin1String(name));
      QVERIFY2(button, name);
      QCOMPARE(button->iconSize(), QSize(32, 32));
    }
    QCOMPARE(h.window->menus().mnuSubItem->text(), QStringLiteral("No Feeds Open"));
    QCOMPARE(h.window->menus().mnuFeedItem->defaultAction(), h.window->menus().mnuFeedItemShow);
  }

  void enableScheduleIntervals() {
    Harness h;
    h.load();
    ScheduleTimer& timer = h.window->tmrSchedule();
    h.context.settings.schedulerEnabled = 1;
    h.context.settings.interval = -1;
    h.window->EnableSchedule(false);
    QVERIFY(timer.isEnabled());
    QCOMPARE(timer.interval(), ScheduleTimer::kInitialIntervalMs);

    h.context.settings.interval = 3;
    h.window->EnableSchedule(false);
    QCOMPARE(timer.interval(), 1800000);
    h.context.settings.interval = -1;  // keeps the previous interval
    h.window->EnableSchedule(false);
    QCOMPARE(timer.interval(), 1800000);
    QVERIFY(h.log.last().contains(QStringLiteral(" --- Interval = 30 min) *****")));
    QVERIFY(h.log.last().contains(QStringLiteral("***** Scheduler Timer Started (")));
    QVERIFY(h.log[h.log.size() - 2].contains(QStringLiteral("***** Scheduler Timer Paused/Stopped (")));

    h.context.commandSwitch = CommandSwitch::Debug;
    h.context.settings.interval = 6;
    h.window->EnableSchedule(false);
    QCOMPARE(timer.interval(), 60000);
    QVERIFY(h.log.last().contains(QStringLiteral(" --- Interval = 1 min) *****")));

    h.context.settings.schedulerEnabled = 0;
    h.window->EnableSchedule(false);
    QVERIFY(!timer.isEnabled());
    QCOMPARE(ScheduleTimer::minutesText(30000), QStringLiteral("0.5"));
  }

  // The run is started, not waited for: while it goes on the window says so
  // and offers no second one; its end gives everything back.
  void executeScheduleNow() {
    Harness h;
    h.load();
    const auto run = [&h] {
      QSignalSpy finished(&h.window->scheduler(), &mScheduler::finished);
      h.window->menus().mnuToolsExecuteSchedule->trigger();
      const QStringList during{h.window->statusPanel(4)->text(),
                               h.window->menus().mnuToolsExecuteSchedule->isEnabled() ? "enabled" : "disabled",
                               h.window->tmrSchedule().isEnabled() ? "armed" : "off"};
      if (!finished.wait(10000)) return QStringList{"no end"};
      return during;
    };
    // Switched off: a run by hand leaves the timer off.
    h.context.settings.schedulerEnabled = 0;
    QCOMPARE(run(), (QStringList{"Status: Executing Schedule", "disabled", "off"}));
    QCOMPARE(h.window->statusPanel(4)->text(), QStringLiteral("Status: Ready."));
    QVERIFY(h.window->menus().mnuToolsExecuteSchedule->isEnabled());
    QVERIFY(!h.window->tmrSchedule().isEnabled());

    // Switched on: armed again after the run (which reads the settings file).
    h.context.settings.schedulerEnabled = 1;
    h.context.settings.interval = 0;
    QVERIFY(h.context.settings.SaveSchedulerSettings(false).ok());
    h.window->EnableSchedule(false);
    QCOMPARE(run().last(), QStringLiteral("off"));
    QVERIFY(h.window->tmrSchedule().isEnabled());
    QCOMPARE(h.window->tmrSchedule().interval(), 300000);
  }

  void optionBarToggleFollowsTheDock() {
    Harness h;
    h.load();
    h.window->show();
    QAction* item = h.window->menus().mnuToolsOptionBar;
    frmOptionBar* bar = h.window->optionBar();
    QVERIFY(item->isChecked());
    QVERIFY(bar->isVisible());
    h.window->menus().cmdToggle->click();
    QVERIFY(!bar->isVisible());
    QVERIFY(!item->isChecked());
    item->trigger();
    QVERIFY(bar->isVisible());
    QVERIFY(item->isChecked());
    bar->close();  // the dock's own close button
    QVERIFY(!item->isChecked());
    item->trigger();
    QVERIFY(bar->isVisible());
    bar->setGroupExpanded(false);
    QVERIFY(!bar->tvCategories()->isVisible());
  }

  void deleteCommandsFollowTheSelectedNode() {
    Harness h;
    h.home.write("feeds.fdb",
                 "<categories><category name=\"News\"><feed name=\"Daily\" type=\"0\" "
                 "id=\"11111111-2222-3333-4444-555555555555\">http://127.0.0.1/d.xml</feed></category>"
                 "<category name=\"Art\"/></categories>");
    h.load();
    CategoryTreeWidget* tree = h.window->tvCategories();
    tree->setCurrentItem(tree->rootItem());
    h.window->mnuCatDel_Click();
    tree->setCurrentItem(tree->findKey("11111111-2222-3333-4444-555555555555"));
    h.window->mnuCatDel_Click();
    QVERIFY(h.messages.empty());

    h.messages.answerYesNo(false);
    h.window->mnuFeedsDel_Click();
    // The prompt and its title name the feed.
    QCOMPARE(h.messages.last().text,
             QStringLiteral("Are you sure you want to delete the feed \"Daily\" with its stored items?"));
    QCOMPARE(h.messages.last().title, QStringLiteral("Delete Daily"));
    QVERIFY(tree->findKey("11111111-2222-3333-4444-555555555555"));

    QTreeWidgetItem* news = tree->rootItem()->child(1);
    QCOMPARE(news->text(0), QStringLiteral("News"));
    tree->setCurrentItem(news);
    h.messages.answerYesNo(true);
    h.window->mnuCatDel_Click();
    QCOMPARE(h.messages.last().title, QStringLiteral("Delete News"));
    QCOMPARE(h.messages.last().text,
             QStringLiteral("You are attempting to delete the News category. All feeds "
                            "subscribed under this category will be deleted.\r\n\r\nContinue?"));
    QCOMPARE(tree->rootItem()->childCount(), 1);
    QVERIFY(!h.home.read("feeds.fdb").contains("News"));
  }

  void feedWindowsTabsAndBusyRefusal() {
    TestHttpServer server;
    server.route("/slow.xml", {.body = slowFeed(), .held = true});
    server.route("/fast.xml", {.body = slowFeed()});
    Harness h;
    h.load();
    h.window->show();
    const QString slow = server.url("/slow.xml").toString();
    h.window->OpenFeedWindow("Slow", "AAAAAAAA-0000-0000-0000-000000000001", slow, 0, true);
    QCOMPARE(h.window->viewers().size(), 1);
    QVERIFY(h.window->IsFeedOpen(slow.toUpper(), false));
    QVERIFY(!h.window->menus().mnuSubItem->isVisible());

    // The download waits in its own event loop: the tab's close button is
    // pressed from inside that wait, once the request has reached the server,
    // and only then is the feed answered.
    frmViewFeed* viewer = h.window->viewers().first();
    QMdiSubWindow* tab = h.window->mdiArea()->subWindowList().first();
    bool busy = false;
    int tabsAfterClose = -1;
    connect(&server, &TestHttpServer::requestHeld, this, [&] {
      busy = viewer->StillExecuting();
      tab->close();
      tabsAfterClose = static_cast<int>(h.window->mdiArea()->subWindowList().size());
      server.release("/slow.xml");
    });
    QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("Slow [new]"), 10000);
    QVERIFY(busy);
    QCOMPARE(tabsAfterClose, 1);
    QCOMPARE(h.messages.last().text, h.context.languages.getMessages("MSG_BUSY"));
    QCOMPARE(h.messages.last().title, QString());
    QCOMPARE(h.messages.last().icon, MessageIcon::Exclamation);
    // Opening the same feed again re-uses the window.
    h.window->OpenFeedWindow("Slow", "AAAAAAAA-0000-0000-0000-000000000001", slow, 0, false);
    QCOMPARE(h.window->viewers().size(), 1);
    h.window->OpenFeedWindow("Fast", "AAAAAAAA-0000-0000-0000-000000000002", server.url("/fast.xml").toString(), 0,
                             false);
    QCOMPARE(h.window->viewers().size(), 2);

    QVERIFY(h.window->mdiArea()->subWindowList().first()->close());
    QTRY_COMPARE(h.window->viewers().size(), 1);
    QVERIFY(h.window->mdiArea()->subWindowList().first()->close());
    QTRY_COMPARE(h.window->viewers().size(), 0);
    QTRY_VERIFY(h.window->menus().mnuSubItem->isVisible());
  }

  // A deleted feed's open viewer goes with it (a dead tab would show store
  // errors on every click); a busy one refuses and the feed stays.
  void deletingAFeedClosesItsViewer() {
    TestHttpServer server;
    server.route("/slow.xml", {.body = slowFeed(), .held = true});
    Harness h;
    const QString daily = "11111111-2222-3333-4444-555555555555";
    const QString slowId = "11111111-2222-3333-4444-666666666666";
    h.home.write("feeds.fdb",
                 "<categories><category name=\"News\"><feed name=\"Daily\" type=\"0\" id=\"" + daily.toUtf8() +
                     "\">http://127.0.0.1/d.xml</feed><feed name=\"Slow\" type=\"0\" id=\"" + slowId.toUtf8() + "\">" +
                     server.url("/slow.xml").toEncoded() + "</feed></category></categories>");
    h.load();
    h.window->show();
    CategoryTreeWidget* tree = h.window->tvCategories();
    h.window->OpenFeedWindow("Daily", daily, "http://127.0.0.1/d.xml", 0, false);
    QTRY_COMPARE(h.window->viewers().first()->windowTitle(), QStringLiteral("Daily"));

    tree->setCurrentItem(tree->findKey(daily));
    h.messages.answerYesNo(true);
    h.window->mnuFeedsDel_Click();
    QTRY_VERIFY(h.window->viewers().isEmpty());
    QVERIFY(!tree->findKey(daily));

    h.window->OpenFeedWindow("Slow", slowId, server.url("/slow.xml").toString(), 0, true);
    frmViewFeed* viewer = h.window->viewers().first();
    // The delete is given from inside the download's wait.
    bool busy = false;
    bool keptInTree = false;
    bool keptInFile = false;
    int viewersLeft = -1;
    connect(&server, &TestHttpServer::requestHeld, this, [&] {
      busy = viewer->StillExecuting();
      tree->setCurrentItem(tree->findKey(slowId));
      h.messages.answerYesNo(true);
      h.window->mnuFeedsDel_Click();
      keptInTree = tree->findKey(slowId) != nullptr;
      keptInFile = h.home.read("feeds.fdb").contains(slowId.toUtf8());
      viewersLeft = static_cast<int>(h.window->viewers().size());
      server.release("/slow.xml");
    });
    QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("Slow [new]"), 10000);
    QVERIFY(busy);
    QCOMPARE(h.messages.last().text, h.context.languages.getMessages("MSG_BUSY"));
    QVERIFY(keptInTree);
    QVERIFY(keptInFile);
    QCOMPARE(viewersLeft, 1);
  }

  // A renamed feed's tab takes the new name (in the tree and through the
  // edit dialog), and a language switch reaches the open viewers' headers.
  void openViewersFollowRenamesAndTheLanguage() {
    Harness h;
    const QString id = "11111111-2222-3333-4444-555555555555";
    h.home.write("feeds.fdb", "<categories><category name=\"News\"><feed name=\"Daily\" type=\"0\" id=\"" +
                                  id.toUtf8() + "\">http://127.0.0.1/d.xml</feed></category></categories>");
    h.home.write("Localization.txt",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
                 "<LANGUAGE_GROUP xml:lang=\"de\">\r\n<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
                 "<TRANSLATION_ITEMS>\r\n<frmViewFeed_lstItems_COL1>Titel</frmViewFeed_lstItems_COL1>\r\n"
                 "</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n");
    h.load();
    h.window->show();
    CategoryTreeWidget* tree = h.window->tvCategories();
    h.window->OpenFeedWindow("Daily", id, "http://127.0.0.1/d.xml", 0, false);
    frmViewFeed* viewer = h.window->viewers().first();
    QMdiSubWindow* tab = h.window->mdiArea()->subWindowList().first();
    QTRY_COMPARE(tab->windowTitle(), QStringLiteral("Daily"));

    QVERIFY(tree->AfterLabelEdit(tree->findKey(id), "Morning Paper"));
    QTRY_COMPARE(tab->windowTitle(), QStringLiteral("Morning Paper"));
    QCOMPARE(viewer->FeedCaption(), QStringLiteral("Morning Paper"));

    // The edit dialog stores the name and reloads the tree.
    h.home.write("feeds.fdb", "<categories><category name=\"News\"><feed name=\"Evening Paper\" type=\"0\" id=\"" +
                                  id.toUtf8() + "\">http://127.0.0.1/d.xml</feed></category></categories>");
    h.window->mnuCatRefresh_Click();
    QTRY_COMPARE(tab->windowTitle(), QStringLiteral("Evening Paper"));

    QCOMPARE(viewer->lstItems()->headerItem()->text(0), QStringLiteral("Title"));
    h.platform.onModal = [](QDialog& dialog) {
      auto* language = qobject_cast<frmLanguage*>(&dialog);
      if (language != nullptr) language->Combo1_Click(language->Combo1()->findText("Deutsch"));
      return int(QDialog::Accepted);
    };
    h.window->showLanguageWindow(true);
    QCOMPARE(viewer->lstItems()->headerItem()->text(0), QStringLiteral("Titel"));
  }

  // Ctrl+Shift+F12 writes the English group of the localization file; a
  // second press replaces it rather than adding another "English".
  void theHiddenCommandReplacesTheEnglishGroup() {
    Harness h;
    h.load();
    const QStringList before = h.context.languages.ListLanguages();
    QCOMPARE(before.count("English"), 1);
    h.window->menus().Command1->trigger();
    h.window->menus().Command1->trigger();
    QCOMPARE(h.context.languages.ListLanguages(), before);
    const QString text = QString::fromUtf8(h.home.read("Localization.txt"));
    QCOMPARE(text.count("<LANGUAGE_NAME>English</LANGUAGE_NAME>"), 1);
    QCOMPARE(text.count("<frmMain_cmdAddFeed>"), 2);  // English and German, once each
  }

  void closingWhileAFeedIsCheckedUnloadsCleanly() {
    TestHttpServer server;
    server.route("/slow.xml", {.body = slowFeed(), .held = true});
    Harness h;
    h.load();
    h.window->show();
    h.context.settings.schedulerEnabled = 1;
    h.window->EnableSchedule(false);
    bool unloaded = false;
    connect(h.window.get(), &frmMain::unloaded, this, [&] { unloaded = true; });
    // Closed while the feed's request waits at the server, which never answers.
    connect(&server, &TestHttpServer::requestHeld, this, [&] { h.window->close(); });
    h.window->OpenFeedWindow("Slow", "AAAAAAAA-0000-0000-0000-000000000003", server.url("/slow.xml").toString(), 0,
                             true);
    QTRY_VERIFY_WITH_TIMEOUT(unloaded, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(h.window->viewers().isEmpty(), 5000);
    QVERIFY(!h.window->tmrSchedule().isEnabled());
    QVERIFY(!h.context.scheduler.Running);
    QVERIFY(h.log.last().contains(QStringLiteral("Paused/Stopped")));
  }

  void translationsReachTheMenusAndButtons() {
    Harness h;
    h.home.write("Localization.txt",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
                 "<LANGUAGE_GROUP xml:lang=\"de\">\r\n<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
                 "<TRANSLATION_ITEMS>\r\n"
                 "<frmMain_cmdAddFeed>Feed hinzufügen</frmMain_cmdAddFeed>\r\n"
                 "<frmMain_mnuCatRefresh>Aktualisieren</frmMain_mnuCatRefresh>\r\n"
                 "<frmMain_mnuFeedItemExport1>Als Text exportieren</frmMain_mnuFeedItemExport1>\r\n"
                 "<frmMain_mnuSubItem0>Kein Feed offen</frmMain_mnuSubItem0>\r\n"
                 "<frmOptionBar_grpCategories>Kategorien</frmOptionBar_grpCategories>\r\n"
                 "</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n");
    h.context.userStore.setUserValue("Settings", "Language", "Deutsch");
    h.load();
    QCOMPARE(h.context.currentLanguage, QStringLiteral("Deutsch"));
    QCOMPARE(h.window->menus().cmdAddFeed->text(), QStringLiteral("Feed hinzufügen"));
    QCOMPARE(h.window->menus().mnuCatRefresh->text(), QStringLiteral("Aktualisieren"));
    QCOMPARE(h.window->menus().mnuFeedItemExportTxt->text(), QStringLiteral("Als Text exportieren"));
    QCOMPARE(h.window->menus().mnuFeedItemExportHtml->text(), QStringLiteral("Export to HTML"));
    QCOMPARE(h.window->menus().mnuSubItem->text(), QStringLiteral("Kein Feed offen"));
    QCOMPARE(h.window->optionBar()->groupHeader()->text(), QStringLiteral("Kategorien"));
  }

  void websiteAndSplash() {
    Harness h;
    h.load();
    h.context.identity.website = "tidewell.example.org";
    h.window->cmdWebsite_Click();
    QCOMPARE(h.opened.last(), QStringLiteral("http://tidewell.example.org"));
    h.context.identity.website = "https://tidewell.example.org";
    h.window->mnuHelpWebsite_Click();
    QCOMPARE(h.opened.last(), QStringLiteral("https://tidewell.example.org"));
    // The about box's link goes the same way.
    h.opened.clear();
    h.window->mnuAboutItem_Click();
    auto* about = h.window->findChild<frmAbout*>();
    QVERIFY(about != nullptr);
    emit about->findChild<QLabel*>("lblWebsite")->linkActivated("#");
    QCOMPARE(h.opened, QStringList{"https://tidewell.example.org"});
    about->close();

    h.context.userStore.setMachineValue("Settings", "chkSplash", "1");
    frmSplash splash(h.context);
    bool elapsed = false;
    splash.setOnElapsed([&] { elapsed = true; });
    splash.start();
    QVERIFY(splash.keptInvisible());
    QVERIFY(!splash.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(elapsed, 5000);
    QCOMPARE(splash.counter(), frmSplash::kDoneCount);
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
