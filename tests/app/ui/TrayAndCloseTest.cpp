#include "app/AppContext.h"
#include "app/ui/MainMenus.h"
#include "app/ui/SystemTray.h"
#include "app/ui/frmConfirmClose.h"
#include "app/ui/frmMain.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/frmAddFeed.h"
#include "feeddb/ui/frmCategory.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/ui/FakePlatform.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

struct Harness : AppFixture {
  explicit Harness(bool trayAvailable = true) {
    context.userStore.setUserValue("Settings", "Language", "English");
    context.userStore.setUserValue("Settings", "showHelp", "0");
    context.settings.setAutostartFolder(home.file("autostart"));
    platform.tray = trayAvailable;
    window = std::make_unique<frmMain>(context, platform);
    window->Form_Load();
    window->show();
  }
  MainMenus& menus() { return window->menus(); }

  tidewell::test::FakePlatform platform;
  std::unique_ptr<frmMain> window;
  QStringList& opened = platform.opened;
  QStringList& modals = platform.modals;
  // Answers the modal dialogs; empty: each is rejected.
  std::function<int(QDialog&)>& answer = platform.onModal;
};

// Answers the close confirmation with the given boxes and button.
std::function<int(QDialog&)> confirm(bool alwaysClose, bool dontShow, int button) {
  return [=](QDialog& dialog) {
    auto* c = qobject_cast<frmConfirmClose*>(&dialog);
    if (c == nullptr) return int(QDialog::Rejected);
    c->chkAlwaysClose()->setChecked(alwaysClose);
    c->chkDontShow()->setChecked(dontShow);
    c->btnOK(button)->click();
    return c->result() ? 1 : 0;
  };
}

}  // namespace

class TrayAndCloseTest : public QObject {
  Q_OBJECT

 private slots:
  void trayMenuInOrderWithSeparators() {
    Harness h;
    QStringList names;
    for (QAction* action : h.menus().mnuSysTray->actions()) {
      names << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    QCOMPARE(names, (QStringList{"Show", "-", "Add New Feed", "-", "Email Settings", "Scheduler Settings",
                                 "Application Settings", "-", "Help File", "Contact Us", "Visit Product Website", "-",
                                 "Close"}));
    QCOMPARE(h.menus().mnuSysTray->defaultAction(), h.menus().mnuSysTrayShow);
  }

  void minimisingGoesToTheTrayWithOneBalloon() {
    Harness h;
    SystemTray& tray = h.window->systemTray();
    QVERIFY(tray.oSysTray() == nullptr);
    h.window->showMinimized();
    QTRY_VERIFY(h.window->inSystemTray());
    QVERIFY(!h.window->isVisible());
    QVERIFY(tray.oSysTray() != nullptr);
    QCOMPARE(tray.oSysTray()->toolTip(), QStringLiteral("Tidewell"));
    QCOMPARE(tray.balloonsShown(), 1);

    // Show, then Hide, from the tray: the icon stays throughout.
    h.window->HandleSystrayMenu("show");
    QVERIFY(h.window->isVisible());
    QVERIFY(!(h.window->windowState() & Qt::WindowMinimized));
    QCOMPARE(h.menus().mnuSysTrayShow->text(), QStringLiteral("Hide"));
    h.window->HandleSystrayMenu("show");
    QVERIFY(!h.window->isVisible());
    QCOMPARE(h.menus().mnuSysTrayShow->text(), QStringLiteral("Show"));
    QVERIFY(tray.oSysTray() != nullptr);

    // A double-click on the icon shows the window.
    emit tray.oSysTray()->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(h.window->isVisible());
    QVERIFY(!h.window->inSystemTray());

    // A second trip to the tray hides the window without another balloon.
    h.window->AddToSystemTray();
    QVERIFY(!h.window->isVisible());
    QCOMPARE(tray.balloonsShown(), 1);
    QCOMPARE(h.menus().mnuSysTrayShow->text(), QStringLiteral("Show"));
  }

  void withoutANotificationAreaTheWindowStaysMinimised() {
    Harness h(false);
    h.window->showMinimized();
    QTest::qWait(20);
    QVERIFY(h.window->isVisible());
    QVERIFY(h.window->isMinimized());
    QVERIFY(!h.window->inSystemTray());
    QVERIFY(h.window->systemTray().oSysTray() == nullptr);
  }

  void trayCommandsOpenTheirWindows() {
    Harness h;
    h.window->HandleSystrayMenu("email_settings");
    h.window->HandleSystrayMenu("scheduler_settings");
    h.window->HandleSystrayMenu("app_settings");
    h.window->HandleSystrayMenu("add_feed");
    h.window->HandleSystrayMenu("no_such_command");
    QCOMPARE(h.modals, (QStringList{"frmEmailSettings", "frmScheduler", "frmAppSettings", "frmAddFeed"}));
    h.window->HandleSystrayMenu("help_email");
    h.window->HandleSystrayMenu("help_website");
    QCOMPARE(h.opened.size(), 2);
    QVERIFY(h.opened[0].startsWith("mailto:"));
    QVERIFY(h.opened[1].startsWith("http"));
    // The menu items reach the same commands.
    h.modals.clear();
    h.menus().mnuSysTraySchedule->trigger();
    h.menus().mnuToolsEmailSettings->trigger();
    h.menus().mnuCatNew->trigger();
    h.menus().cmdSettings->click();
    QCOMPARE(h.modals, (QStringList{"frmScheduler", "frmEmailSettings", "frmCategory", "frmAppSettings"}));
  }

  void commandsPresetTheirDialogs() {
    Harness h;
    h.home.write("feeds.fdb",
                 "<categories><category name=\"News\"><feed name=\"Daily\" type=\"1\" "
                 "id=\"11111111-2222-3333-4444-555555555555\">http://127.0.0.1/daily.xml</feed></category>"
                 "<category name=\"Tech\"/></categories>");
    h.window->mnuCatRefresh_Click();
    CategoryTreeWidget* tree = h.window->tvCategories();
    QStringList seen;
    h.answer = [&seen](QDialog& dialog) {
      if (auto* add = qobject_cast<frmAddFeed*>(&dialog)) {
        seen << QStringList{QString::number(add->EditMode), add->categoryName, add->FeedID, add->txtURL()->text(),
                            add->txtChannel()->text()}
                    .join('|');
      } else if (auto* category = qobject_cast<frmCategory*>(&dialog)) {
        seen << QString::number(category->Mode()) + '|' + category->txtCategoryName()->text();
      }
      return int(QDialog::Rejected);
    };
    tree->setCurrentItem(tree->findKey("11111111-2222-3333-4444-555555555555"));
    h.menus().mnuFeedsAdd->trigger();
    h.menus().mnuFeedsEdit->trigger();
    tree->setCurrentItem(tree->findKey("cat_1"));
    h.menus().mnuFeedsAdd->trigger();
    h.menus().mnuCatEdit->trigger();
    tree->setCurrentItem(tree->rootItem());
    h.menus().mnuFeedsAdd->trigger();
    h.menus().mnuCatEdit->trigger();  // the root is no category: nothing opens
    QCOMPARE(seen,
             (QStringList{"0|News|||", "1|News|11111111-2222-3333-4444-555555555555|http://127.0.0.1/daily.xml|Daily",
                          "0|Tech|||", "1|Tech", "0||||"}));
  }

  // The dialog lets the user choose the category: the tray's command needs
  // no node selected in a tree that is out of sight.
  void addFeedNeedsNoSelectedNode() {
    Harness h;
    h.window->tvCategories()->setCurrentItem(nullptr);
    h.window->tvCategories()->clearSelection();
    h.window->systemTray().prepareMenu();
    QVERIFY(h.menus().mnuSysTrayAddFeed->isEnabled());
    h.window->tvCategories()->setCurrentItem(h.window->tvCategories()->rootItem());
    emit h.menus().mnuSysTray->aboutToShow();
    QVERIFY(h.menus().mnuSysTrayAddFeed->isEnabled());
  }

  void confirmationWritesItsSettings_data() {
    QTest::addColumn<bool>("alwaysClose");
    QTest::addColumn<bool>("dontShow");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("closes");
    QTest::newRow("keep running, remind") << false << false << 1 << false;
    QTest::newRow("keep running, no reminder") << false << true << 1 << false;
    QTest::newRow("close now, always close") << true << false << 0 << true;
    QTest::newRow("keep running, always close") << true << true << 1 << false;
  }

  void confirmationWritesItsSettings() {
    QFETCH(bool, alwaysClose);
    QFETCH(bool, dontShow);
    QFETCH(int, button);
    QFETCH(bool, closes);
    Harness h;
    h.context.settings.SetConfirmClose(true);
    h.answer = confirm(alwaysClose, dontShow, button);
    QSignalSpy unloaded(h.window.get(), &frmMain::unloaded);
    h.window->close();
    QCOMPARE(h.modals, QStringList{"frmConfirmClose"});
    QCOMPARE(unloaded.count(), closes ? 1 : 0);
    if (!closes) QTRY_VERIFY(h.window->inSystemTray());
    mSettings saved(h.context.paths, h.messages);
    saved.LoadAppSettings();
    QCOMPARE(saved.GetConfirmClose(), !dontShow);
    QCOMPARE(saved.closeExits, qint16(alwaysClose ? 1 : 0));
    QCOMPARE(saved.closeMinimizes, qint16(alwaysClose ? 0 : 1));
  }

  void confirmationShowsTheStoredCloseSetting() {
    Harness h;
    h.context.settings.closeExits = 1;
    h.context.settings.closeMinimizes = 0;
    QVERIFY(h.context.settings.SaveAppSettings(false).ok());
    frmConfirmClose dialog(h.context);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Confirm Close"));
    QVERIFY(dialog.chkAlwaysClose()->isChecked());
    QVERIFY(!dialog.chkDontShow()->isChecked());
    QCOMPARE(dialog.btnOK(0)->text(), QStringLiteral("Close Now!"));
    QCOMPARE(dialog.btnOK(1)->text(), QStringLiteral("Keep Running"));
  }

  // The first line says what will happen: the tray, the task bar when the
  // desktop has no tray, or a complete exit from now on.
  void confirmationSaysWhatWillHappen() {
    for (const bool trayAvailable : {true, false}) {
      Harness h(trayAvailable);
      h.context.settings.SetConfirmClose(true);
      QString shown;
      QString alwaysClose;
      QString unticked;
      h.answer = [&](QDialog& dialog) {
        auto* c = qobject_cast<frmConfirmClose*>(&dialog);
        shown = c->lblInfo(0)->text();
        c->chkAlwaysClose()->setChecked(true);
        alwaysClose = c->lblInfo(0)->text();
        c->chkAlwaysClose()->setChecked(false);
        unticked = c->lblInfo(0)->text();
        c->btnOK(1)->click();
        return 0;
      };
      h.window->close();
      QCOMPARE(h.modals, QStringList{"frmConfirmClose"});
      QCOMPARE(shown, trayAvailable ? QStringLiteral("Application will be minimized to System Tray.")
                                    : h.context.languages.getMessages("MSG_WND_CLOSETASKBAR"));
      QCOMPARE(alwaysClose, h.context.languages.getMessages("MSG_WND_CLOSEEXIT"));
      QVERIFY(!alwaysClose.contains("System Tray"));
      QCOMPARE(unticked, shown);
    }
  }

  void closeFromTheTrayAsksFirst() {
    Harness h;
    h.context.settings.SetConfirmClose(true);
    h.answer = confirm(false, false, 0);
    QSignalSpy unloaded(h.window.get(), &frmMain::unloaded);
    h.window->AddToSystemTray();
    h.menus().mnuSysTrayExit->trigger();
    QCOMPARE(h.modals, QStringList{"frmConfirmClose"});
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(h.window->systemTray().oSysTray() == nullptr);
  }

  // The tray's Close answered with "Keep Running", from the screen and from
  // the tray: the window ends in the tray with its icon, and windows that are
  // not the program's (on X11 the icon's own window is a top-level widget)
  // are left alone. Only "Close Now!" takes the program's windows along.
  void keepRunningFromTheTrayMenuKeepsTheIcon_data() {
    QTest::addColumn<bool>("startInTray");
    QTest::newRow("window shown") << false;
    QTest::newRow("window in the tray") << true;
  }

  void keepRunningFromTheTrayMenuKeepsTheIcon() {
    QFETCH(bool, startInTray);
    Harness h;
    h.context.settings.SetConfirmClose(true);
    h.answer = confirm(false, false, 1);
    h.window->AddToSystemTray();
    QVERIFY(h.window->inSystemTray());
    if (!startInTray) h.window->HandleSystrayMenu("show");
    QWidget foreign;  // stands for the icon's own window
    foreign.setObjectName("QSystemTrayIconSys");
    foreign.show();
    QDialog settings;
    settings.setObjectName("frmAppSettings");
    settings.show();

    h.menus().mnuSysTrayExit->trigger();
    QCOMPARE(h.modals, QStringList{"frmConfirmClose"});
    QTRY_VERIFY(h.window->inSystemTray());
    QVERIFY(!h.window->isVisible());
    QVERIFY(h.window->systemTray().oSysTray() != nullptr);
    QVERIFY(h.window->systemTray().oSysTray()->isVisible());
    QVERIFY(foreign.isVisible());
    QVERIFY(settings.isVisible());
    QCOMPARE(h.menus().mnuSysTrayShow->text(), QStringLiteral("Show"));

    // The way back still works, and "Close Now!" then closes the program's windows.
    h.window->HandleSystrayMenu("show");
    QVERIFY(h.window->isVisible());
    h.answer = confirm(false, false, 0);
    h.menus().mnuSysTrayExit->trigger();
    QVERIFY(!settings.isVisible());
    QVERIFY(foreign.isVisible());
  }
};

QTEST_MAIN(TrayAndCloseTest)
#include "TrayAndCloseTest.moc"
