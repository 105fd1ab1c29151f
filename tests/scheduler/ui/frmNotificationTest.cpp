#include "app/AppContext.h"
#include "scheduler/ui/DesktopNotifier.h"
#include "scheduler/ui/frmNotification.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/ui/FakePlatform.h"

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QtTest>

#include <cmath>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

const QRect kWorkArea(0, 0, 1280, 760);  // a 40-pixel task bar under it

struct Harness : AppFixture {
  Harness() {}
  frmNotification* make() {
    auto* window = new frmNotification(context.languages, platform);
    window->workAreaOverride = kWorkArea;
    return window;
  }
  tidewell::test::FakePlatform platform;
  QStringList& played = platform.played;
};

int px(double twips, double perPixel) { return static_cast<int>(std::lround(twips / perPixel)); }

bool waitOpen(frmNotification* window) {
  return QTest::qWaitFor([window] { return !window->tmrAnimate().isActive(); }, 5000);
}

}  // namespace

class frmNotificationTest : public QObject {
  Q_OBJECT

 private slots:
  void alphaFromTransparency_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("alpha");
    QTest::newRow("0") << 0 << 255;
    QTest::newRow("10") << 10 << 230;
    QTest::newRow("100") << 100 << 0;
    QTest::newRow("out of range") << 101 << 1;
  }

  void alphaFromTransparency() {
    QFETCH(int, percent);
    QFETCH(int, alpha);
    QCOMPARE(frmNotification::alphaFor(percent), alpha);
    if (percent > 100) return;
    Harness h;
    QPointer<frmNotification> window = h.make();
    window->MakeTransparent = true;
    window->TransparencyPercentage = static_cast<qint16>(percent);
    window->show();
    QCOMPARE(window->alpha(), alpha);
    QCOMPARE(qRound(window->windowOpacity() * 255), alpha);
    delete window;
  }

  void opaqueUnlessAsked() {
    Harness h;
    QPointer<frmNotification> window = h.make();
    window->TransparencyPercentage = 50;
    window->show();
    QCOMPARE(window->alpha(), 255);
    QCOMPARE(window->windowOpacity(), 1.0);
    delete window;
  }

  void slidesUpAtTheBottomRight() {
    Harness h;
    QPointer<frmNotification> window = h.make();
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(window->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    QVERIFY(window->testAttribute(Qt::WA_ShowWithoutActivating));
    window->show();
    const double tx = window->twipsPerPixelX();
    const double ty = window->twipsPerPixelY();
    QVERIFY(QTest::qWaitFor([&] { return window->heightTwips() >= 300; }, 2000));
    // Every step keeps the bottom on the work area and the window 75 twips in from its right edge.
    QCOMPARE(window->heightTwips() % frmNotification::kStepTwips, 0);
    QCOMPARE(window->width(), px(frmNotification::kWidthTwips, tx));
    QCOMPARE(window->geometry().bottom() + 1, kWorkArea.bottom() + 1);
    QCOMPARE(window->geometry().right() + 1, kWorkArea.right() + 1 - px(frmNotification::kRightMarginTwips, tx));
    QVERIFY(waitOpen(window));
    // 1650 twips in 100-twip steps: the last step ends at 1700.
    QCOMPARE(window->heightTwips(), 1700);
    QCOMPARE(window->height(), px(1700, ty));
    QCOMPARE(window->y() + window->height(), kWorkArea.height());
    QVERIFY(!window->tmrWait().isActive());  // no AutoClose: it stays
    QVERIFY(window->lblClose()->isVisibleTo(window));

    QTest::mouseClick(window->lblClose(), Qt::LeftButton);
    QVERIFY(window->closing());
    QVERIFY(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
  }

  void autoCloseSlidesAwayAfterItsTimeToLive() {
    Harness h;
    QPointer<frmNotification> window = h.make();
    window->AutoClose = true;
    window->TimeToLive = 50;
    window->show();
    QVERIFY(!window->lblClose()->isVisibleTo(window));
    QVERIFY(waitOpen(window));
    QVERIFY(window->tmrWait().isActive());
    QCOMPARE(window->tmrWait().interval(), 50);
    QVERIFY(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
  }

  void soundPlaysOnlyWhenAskedAndPresent() {
    Harness h;
    const QString sound = h.home.write(QStringLiteral("notify.wav"), "RIFF");
    struct Case {
      bool play;
      QString path;
      bool expected;
    };
    const Case cases[] = {{true, sound, true}, {false, sound, false}, {true, h.home.file("missing.wav"), false}};
    for (const Case& c : cases) {
      h.played.clear();
      QPointer<frmNotification> window = h.make();
      window->PlaySound = c.play;
      window->SoundFilePath = c.path;
      window->show();
      QCOMPARE(h.played, c.expected ? QStringList{sound} : QStringList{});
      delete window;
    }
  }

  void focusStaysWithTheWindowTheUserIsIn() {
    Harness h;
    QWidget editor;
    editor.show();
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QPointer<frmNotification> window = h.make();
    window->show();
    QTest::qWait(50);
    QCOMPARE(QApplication::activeWindow(), &editor);
    delete window;
  }

  void announcementFillsTheWindow() {
    Harness h;
    DesktopNotifier notifier(h.context.languages, nullptr, h.platform);
    QPointer<frmNotification> created;
    QObject::connect(&notifier, &DesktopNotifier::popupCreated, [&](frmNotification* window) {
      window->workAreaOverride = kWorkArea;
      created = window;
    });
    NewItemsNotification n;
    n.lines = QStringList{"Daily -- 3 New Items", "Gadgets -- 1 New Items"};
    n.transparencyPercentage = 10;
    notifier.showNewItems(n);
    QVERIFY(!created.isNull());
    QVERIFY(created->isVisible());
    QCOMPARE(created->lstResult()->count(), 2);
    QCOMPARE(created->lstResult()->item(1)->text(), QStringLiteral("Gadgets -- 1 New Items"));
    QCOMPARE(created->alpha(), 230);
    QVERIFY(!created->AutoClose);
    delete created;
  }

  void nextAnnouncementReplacesThePopupAndALineOpensItsFeed() {
    Harness h;
    DesktopNotifier notifier(h.context.languages, nullptr, h.platform);
    QList<QPointer<frmNotification>> created;
    QObject::connect(&notifier, &DesktopNotifier::popupCreated, [&](frmNotification* window) {
      window->workAreaOverride = kWorkArea;
      created << window;
    });
    QStringList opened;
    QObject::connect(&notifier, &DesktopNotifier::feedRequested, [&](const QString& id) { opened << id; });
    NewItemsNotification n;
    n.lines = QStringList{"Daily -- 3 New Items", "Gadgets -- 1 New Items"};
    n.feedIds = QStringList{"id-daily", "id-gadgets"};
    notifier.showNewItems(n);
    n.lines = QStringList{"Gadgets -- 2 New Items"};
    n.feedIds = QStringList{"id-gadgets"};
    notifier.showNewItems(n);
    QCOMPARE(created.size(), 2);
    QVERIFY(created[0].isNull());  // gone, not left under the new one
    QVERIFY(created[1]->isVisible());
    QCOMPARE(notifier.currentPopup(), created[1].data());

    QVERIFY(waitOpen(created[1]));
    QListWidget* list = created[1]->lstResult();
    emit list->itemDoubleClicked(list->item(0));
    QCOMPARE(opened, QStringList{"id-gadgets"});
  }
};

QTEST_MAIN(frmNotificationTest)
#include "frmNotificationTest.moc"
