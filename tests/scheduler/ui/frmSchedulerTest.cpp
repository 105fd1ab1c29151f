#include "app/AppContext.h"
#include "scheduler/ui/frmScheduler.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

const QString kDaily = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kGadgets = QStringLiteral("66666666-7777-8888-9999-AAAAAAAAAAAA");
const QString kTalk = QStringLiteral("BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF");

const QByteArray kDatabase =
    "<categories>"
    "<category name=\"Tech\"><feed name=\"Gadgets\" type=\"1\" id=\"66666666-7777-8888-9999-AAAAAAAAAAAA\">"
    "http://127.0.0.1/gadgets.xml</feed>"
    "<feed name=\"Tide Talk\" type=\"2\" id=\"BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF\">http://127.0.0.1/talk.xml</feed>"
    "</category>"
    "<category name=\"News\"><feed name=\"Daily\" type=\"0\" id=\"11111111-2222-3333-4444-555555555555\">"
    "http://127.0.0.1/daily.xml</feed></category>"
    "</categories>";

const QString kSaved = QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!");

struct Harness : AppFixture {
  Harness() {
    home.write(QStringLiteral("feeds.fdb"), kDatabase);
    context.settings.setSchedulerSavedHandler([this] { ++rearms; });
  }
  QTreeWidgetItem* source(frmScheduler& d, const QString& key) {
    for (int i = 0; i < d.lstSources()->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = d.lstSources()->topLevelItem(i);
      if (item->data(0, frmScheduler::kKeyRole).toString() == key) return item;
    }
    return nullptr;
  }
  void add(frmScheduler& d, const QString& key) {
    d.lstSources()->setCurrentItem(source(d, key));
    d.lstSources_DblClick();
  }
  mSettings reloaded() {
    mSettings s(context.paths, messages);
    [[maybe_unused]] const Status loaded = s.LoadSchedulerSettings(true);
    return s;
  }
  int rearms = 0;
};

QStringList texts(QTreeWidget* list) {
  QStringList out;
  for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(0);
  return out;
}

}  // namespace

class frmSchedulerTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithTheTreeOrderAndMatchingStates() {
    Harness h;
    frmScheduler dialog(h.context);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Scheduler"));
    // Categories by name, feeds in file order: News first.
    QCOMPARE(texts(dialog.lstSources()), (QStringList{"Daily", "Gadgets", "Tide Talk"}));
    QCOMPARE(dialog.lstSources()->headerItem()->text(0), QStringLiteral("Feed Source"));
    QCOMPARE(dialog.cmbInterval()->count(), 7);
    QCOMPARE(dialog.cmbInterval()->itemText(6), QStringLiteral("Every 3 Hour"));
    // Fresh settings: scheduler off, notification on, no interval.
    QVERIFY(!dialog.chkEnableScheduler()->isChecked());
    QVERIFY(!dialog.fmContainer(0)->isEnabled());
    QVERIFY(!dialog.fmContainer(1)->isEnabled());
    QVERIFY(dialog.chkNotify()->isChecked());
    QVERIFY(dialog.chkSound()->isEnabledTo(dialog.fmContainer(1)));
    QCOMPARE(dialog.cmbInterval()->currentIndex(), -1);

    dialog.chkEnableScheduler()->click();
    QVERIFY(dialog.fmContainer(0)->isEnabled());
    QVERIFY(dialog.fmContainer(1)->isEnabled());
    dialog.chkNotify()->click();
    QVERIFY(!dialog.chkSound()->isEnabled());
    dialog.chkNotify()->click();
    QVERIFY(dialog.chkSound()->isEnabled());
  }

  void addsOnceAndRemovesAfterTheQuestion() {
    Harness h;
    frmScheduler dialog(h.context);
    h.add(dialog, kGadgets);
    h.add(dialog, kGadgets);
    QCOMPARE(texts(dialog.lstSchedule()), QStringList{"Gadgets"});
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Source already in Schedule List!")});
    QCOMPARE(h.messages.last().text, QStringLiteral("Selected Source is already added to the Schedule List."));

    h.messages.clear();
    dialog.lstSchedule()->setCurrentItem(dialog.lstSchedule()->topLevelItem(0));
    dialog.lstSchedule_DblClick();  // answered No
    QCOMPARE(texts(dialog.lstSchedule()), QStringList{"Gadgets"});
    QCOMPARE(h.messages.last().text, QStringLiteral("Are you sure you want to Remove \"Gadgets\" from Schedule List?"));
    QCOMPARE(h.messages.last().title, QStringLiteral("Remove from Schedule List?"));
    h.messages.answerYesNo(true);
    dialog.lstSchedule_DblClick();
    QVERIFY(texts(dialog.lstSchedule()).isEmpty());
    // Nothing selected in an empty list: nothing asked.
    h.messages.clear();
    dialog.lstSchedule_DblClick();
    QVERIFY(h.messages.empty());
  }

  void okValidatesInOrder() {
    Harness h;
    frmScheduler dialog(h.context);
    dialog.chkEnableScheduler()->setChecked(true);
    dialog.btnOK()->click();  // empty list before the interval
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("No Sources Selected!")});
    h.add(dialog, kDaily);
    dialog.btnOK()->click();
    QCOMPARE(h.messages.last().title, QStringLiteral("Execution Frequency?"));
    QCOMPARE(h.messages.last().text, QStringLiteral("Please set Schedule Execution Interval."));
    dialog.chkEnableScheduler()->setChecked(false);
    dialog.btnOK()->click();  // disabling answered No: stays open
    QCOMPARE(h.messages.last().title, QStringLiteral("Disable Scheduler?"));
    QVERIFY(!QFile::exists(h.context.settings.configFile()));
    QCOMPARE(h.rearms, 0);
    QVERIFY(dialog.result() != QDialog::Accepted);
  }

  void disabledSchedulerStillSavesWhatIsShown() {
    Harness h;
    frmScheduler dialog(h.context);
    h.add(dialog, kTalk);
    dialog.cmbInterval()->setCurrentIndex(3);
    dialog.chkSound()->setChecked(true);
    h.messages.answerYesNo(true);
    dialog.btnOK()->click();
    QCOMPARE(h.messages.last().text, kSaved);
    QCOMPARE(h.rearms, 1);
    const mSettings s = h.reloaded();
    QCOMPARE(s.schedulerEnabled, qint16(0));
    QCOMPARE(s.interval, qint16(3));
    QCOMPARE(s.playSound, qint16(1));
    QCOMPARE(s.scheduleList.size(), 1);
    QCOMPARE(s.scheduleList[0].feedType, qint16(2));
  }

  void roundTripThroughAppCfg() {
    Harness h;
    {
      frmScheduler dialog(h.context);
      dialog.chkEnableScheduler()->setChecked(true);
      h.add(dialog, kGadgets);
      h.add(dialog, kDaily);
      dialog.cmbInterval()->setCurrentIndex(5);
      dialog.chkNotify()->setChecked(false);
      dialog.btnOK()->click();
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(h.messages.titles().size(), 1);
    }
    const mSettings s = h.reloaded();
    QCOMPARE(s.schedulerEnabled, qint16(1));
    QCOMPARE(s.interval, qint16(5));
    QCOMPARE(s.notify, qint16(0));
    QCOMPARE(s.playSound, qint16(0));
    QCOMPARE(s.soundFile, h.context.settings.defaultSoundFile());
    QCOMPARE(s.scheduleList.size(), 2);
    QCOMPARE(s.scheduleList[0],
             (ScheduleEntry{QString(), QStringLiteral("http://127.0.0.1/gadgets.xml"), 1, kGadgets, "Gadgets"}));
    QCOMPARE(s.scheduleList[1].feedId, kDaily);
    QCOMPARE(s.scheduleList[1].feedType, qint16(0));

    frmScheduler again(h.context);
    QVERIFY(again.chkEnableScheduler()->isChecked());
    QVERIFY(again.fmContainer(0)->isEnabled());
    QVERIFY(!again.chkNotify()->isChecked());
    QVERIFY(!again.chkSound()->isEnabled());
    QCOMPARE(again.cmbInterval()->currentIndex(), 5);
    QCOMPARE(texts(again.lstSchedule()), (QStringList{"Gadgets", "Daily"}));
    QCOMPARE(again.lstSchedule()->topLevelItem(0)->data(0, frmScheduler::kImageRole).toInt(), 4);

    // Everything removed and the scheduler off: a section without entries.
    h.messages.answerYesNo(true);
    h.messages.answerYesNo(true);
    h.messages.answerYesNo(true);
    for (int i = 0; i < 2; ++i) {
      again.lstSchedule()->setCurrentItem(again.lstSchedule()->topLevelItem(0));
      again.lstSchedule_DblClick();
    }
    again.chkEnableScheduler()->setChecked(false);
    again.btnOK()->click();
    QCOMPARE(again.result(), int(QDialog::Accepted));
    const QByteArray cfg = h.home.read(QStringLiteral("AppCfg.cfg"));
    QVERIFY(!cfg.contains("s_1"));
    QVERIFY(h.reloaded().scheduleList.isEmpty());
  }

  void cancelLeavesEverything() {
    Harness h;
    frmScheduler dialog(h.context);
    dialog.chkEnableScheduler()->setChecked(true);
    h.add(dialog, kDaily);
    dialog.btnCancel()->click();
    QVERIFY(!QFile::exists(h.context.settings.configFile()));
    QCOMPARE(h.rearms, 0);
    QVERIFY(h.context.settings.scheduleList.isEmpty());
  }
};

QTEST_MAIN(frmSchedulerTest)
#include "frmSchedulerTest.moc"
