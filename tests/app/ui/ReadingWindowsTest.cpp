#include "app/AppContext.h"
#include "app/ui/MainMenus.h"
#include "app/ui/ReadingController.h"
#include "app/ui/frmMain.h"
#include "app/ui/frmSearch.h"
#include "core/clsMD5.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/TreeCounts.h"
#include "feeddb/ui/TreeIcons.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/PreviewBrowser.h"
#include "feeds/ui/ViewerReading.h"
#include "feeds/ui/frmViewFeed.h"
#include "scheduler/mScheduler.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"
#include "support/ui/ViewerLoad.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

const QString kGazette = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kTide = QStringLiteral("BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF");
const QString kGadget = QStringLiteral("66666666-7777-8888-9999-AAAAAAAAAAAA");
// Gadget Weekly's answer when one new item is all a test needs.
const QByteArray kOnePhone =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>G</title>"
    "<item><title>Phone</title><link>http://example.org/phone</link>"
    "<pubDate>Mon, 02 Feb 2026 09:00:00 GMT</pubDate><description>d</description></item></channel></rss>";

FeedItem item(const QString& title, const QString& body, int day) {
  FeedItem it;
  it.title = title;
  it.description = body;
  it.link = QStringLiteral("http://example.org/") + title;
  it.id = clsMD5().GetMD5(it.link);
  it.day = QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
  it.month = QStringLiteral("Feb");
  it.year = QStringLiteral("2026");
  it.time = QStringLiteral("07:30:00");
  return it;
}

struct Harness {
  explicit Harness(const QString& gadgetUrl = QStringLiteral("http://127.0.0.1:1/gadgets.xml"))
      : context(home.paths(), home.userStore(), messages) {
    context.userStore.setUserValue("Settings", "Language", "English");
    context.userStore.setUserValue("Settings", "showHelp", "0");
    context.settings.SetConfirmClose(false);
    home.write(
        QStringLiteral("feeds.fdb"),
        "<categories><category name=\"Harbour\"><feed name=\"Coastal Gazette\" type=\"0\" id=\"" + kGazette.toUtf8() +
            "\">http://127.0.0.1:1/gazette.xml</feed><feed name=\"Tide Talk\" type=\"0\" "
            "id=\"" +
            kTide.toUtf8() +
            "\">http://127.0.0.1:1/talk.xml</feed></category><category name=\"Tech\"><feed "
            "name=\"Gadget Weekly\" type=\"0\" id=\"" +
            kGadget.toUtf8() + "\">" + gadgetUrl.toUtf8().replace("&", "&amp;") + "</feed></category></categories>");
    merge(kGazette, {item(QStringLiteral("Harbour works"), QStringLiteral("<p>The <i>quay</i> is closed</p>"), 3),
                     item(QStringLiteral("Élection"), QStringLiteral("Town council vote"), 2),
                     item(QStringLiteral("Fog"), QStringLiteral("Fog over the quay"), 1)});
    merge(kTide, {item(QStringLiteral("Spring tides"), QStringLiteral("High water at noon"), 4),
                  item(QStringLiteral("Neap tides"), QStringLiteral("Low range"), 1)});
    window = std::make_unique<frmMain>(context, platform);
    window->resize(1100, 700);
    window->Form_Load();
    window->show();
    // A new index fills in while the window runs.
    if (!QTest::qWaitFor([this] { return !window->reading()->counts().building(); })) {
      qFatal("the item index was never built");
    }
  }
  void merge(const QString& feed, const FeedItems& items) {
    const ItemStore store(home.paths().itemStore(feed));
    store.MergeNewItems(items, store.ReadLatestId());
  }
  CategoryTreeWidget* tree() const { return window->tvCategories(); }
  QString shown(const QString& key) const {
    const QTreeWidgetItem* node = tree()->findKey(key);
    return node ? CategoryTreeWidget::shownText(node) : QString();
  }
  bool bold(const QString& key) const { return tree()->findKey(key)->font(0).bold(); }
  QTreeWidgetItem* category(const QString& name) const {
    QTreeWidgetItem* root = tree()->rootItem();
    for (int i = 0; i < root->childCount(); ++i) {
      if (root->child(i)->text(0) == name) return root->child(i);
    }
    return nullptr;
  }
  frmViewFeed* open(const QString& feedId) {
    const QTreeWidgetItem* node = tree()->findKey(feedId);
    window->OpenFeedWindow(node->text(0), feedId, CategoryTreeWidget::tagOf(node), 0, false);
    frmViewFeed* viewer = window->activeViewer();
    viewer->tmrDelay().stop();
    if (!test::loadFeedAndWait(*viewer, true)) return nullptr;
    return viewer;
  }
  QTreeWidgetItem* rowTitled(frmViewFeed* viewer, const QString& title) const {
    QTreeWidget* list = viewer->lstItems();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      if (list->topLevelItem(i)->text(frmViewFeed::ColTitle) == title) return list->topLevelItem(i);
    }
    return nullptr;
  }
  static QStringList visibleTitles(frmViewFeed* viewer) {
    QStringList titles;
    QTreeWidget* list = viewer->lstItems();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      if (!list->topLevelItem(i)->isHidden()) titles << list->topLevelItem(i)->text(frmViewFeed::ColTitle);
    }
    return titles;
  }
  QByteArray storeText(const QString& feed) const {
    return home.read(QStringLiteral("Data/") + feed + QStringLiteral(".fdb"));
  }
  void screenshot(QWidget* widget, const QString& name) const {
    const QString dir = qEnvironmentVariable("TIDEWELL_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QCoreApplication::processEvents();
    widget->grab().save(QDir(dir).filePath(name));
  }

  TempHome home;
  ScriptedMessages messages;
  AppContext context;
  tidewell::test::FakePlatform platform;
  std::unique_ptr<frmMain> window;
};

}  // namespace

class ReadingWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void countsFollowAViewersReadMark() {
    Harness h;
    QCOMPARE(h.shown(kGazette), QStringLiteral("Coastal Gazette (3)"));
    QVERIFY(h.bold(kGazette));
    QCOMPARE(h.shown(CategoryTreeWidget::keyOf(h.category(QStringLiteral("Harbour")))), QStringLiteral("Harbour (5)"));
    QCOMPARE(h.shown(QStringLiteral("main")), QStringLiteral("Subscribed Feeds (5)"));
    QCOMPARE(h.shown(kGadget), QStringLiteral("Gadget Weekly"));  // nothing stored yet
    QVERIFY(!h.bold(kGadget));
    h.screenshot(h.window.get(), QStringLiteral("reading-tree-counts.png"));

    frmViewFeed* viewer = h.open(kGazette);
    QCOMPARE(viewer->lstItems()->topLevelItemCount(), 3);
    // Down the list with the keyboard: the preview follows and marks read.
    viewer->lstItems()->setFocus();
    viewer->lstItems()->setCurrentItem(viewer->lstItems()->topLevelItem(0));
    QTRY_COMPARE(h.shown(kGazette), QStringLiteral("Coastal Gazette (2)"));
    QTest::keyClick(viewer->lstItems(), Qt::Key_Down);
    QTRY_COMPARE(h.shown(kGazette), QStringLiteral("Coastal Gazette (1)"));
    QCOMPARE(h.shown(QStringLiteral("main")), QStringLiteral("Subscribed Feeds (3)"));
    QVERIFY(!viewer->ucPreview()->isBlank());

    // Mark as Unread puts it back; Mark All as Read clears the feed.
    h.window->reading()->menus().mnuFeedItemUnread->trigger();
    QTRY_COMPARE(h.shown(kGazette), QStringLiteral("Coastal Gazette (2)"));
    h.window->reading()->menus().mnuFeedItemMarkAllRead->trigger();
    QTRY_COMPARE(h.shown(kGazette), QStringLiteral("Coastal Gazette"));
    QVERIFY(!h.bold(kGazette));
    QVERIFY(!h.storeText(kGazette).contains("status=\"0\""));
  }

  void countsFollowAScheduledCheck() {
    TestHttpServer server;
    server.route(QStringLiteral("/gadgets.xml"),
                 {.body = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>G</title>"
                          "<item><title>Phone</title><link>http://example.org/phone</link>"
                          "<pubDate>Mon, 02 Feb 2026 09:00:00 GMT</pubDate><description>d</description></item>"
                          "<item><title>Laptop</title><link>http://example.org/laptop</link>"
                          "<pubDate>Sun, 01 Feb 2026 09:00:00 GMT</pubDate><description>d</description></item>"
                          "</channel></rss>"});
    Harness h(server.url(QStringLiteral("/gadgets.xml")).toString());
    QCOMPARE(h.shown(kGadget), QStringLiteral("Gadget Weekly"));
    ScheduleEntry entry;
    entry.feedId = kGadget;
    entry.url = server.url(QStringLiteral("/gadgets.xml")).toString();
    entry.caption = QStringLiteral("Gadget Weekly");
    QVERIFY(h.window->scheduler().RunScheduledCheck({entry}));
    QTRY_COMPARE(h.shown(kGadget), QStringLiteral("Gadget Weekly (2)"));
    QCOMPARE(h.shown(CategoryTreeWidget::keyOf(h.category(QStringLiteral("Tech")))), QStringLiteral("Tech (2)"));
    QCOMPARE(h.shown(QStringLiteral("main")), QStringLiteral("Subscribed Feeds (7)"));

    // Another program writing a store is seen too (the Data folder is watched).
    h.merge(kTide, {item(QStringLiteral("Storm surge"), QString(), 9)});
    QTRY_COMPARE(h.shown(kTide), QStringLiteral("Tide Talk (3)"));

    // Update All Feeds through the same run; the open viewer shows what arrived.
    frmViewFeed* viewer = h.open(kGadget);
    QCOMPARE(viewer->lstItems()->topLevelItemCount(), 2);
    server.route(QStringLiteral("/gadgets.xml"),
                 {.body = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>G</title>"
                          "<item><title>Watch</title><link>http://example.org/watch</link>"
                          "<pubDate>Tue, 03 Feb 2026 09:00:00 GMT</pubDate><description>d</description></item>"
                          "</channel></rss>"});
    h.window->reading()->updateFeeds({kGadget});
    QVERIFY(h.window->reading()->updating());
    QTRY_VERIFY(!h.window->reading()->updating());
    QCOMPARE(viewer->lstItems()->topLevelItemCount(), 3);
    QCOMPARE(h.shown(kGadget), QStringLiteral("Gadget Weekly (3)"));
  }

  // A checked feed without an icon gets its site's, whichever check it was:
  // the scheduled one or the viewer's.
  void siteIconFollowsAFeedsCheck() {
    TestHttpServer server;
    server.route(QStringLiteral("/gadgets.xml"), {.body = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>"
                                                          "<title>G</title><image><url>/g.ico</url></image>"
                                                          "</channel></rss>"});
    QImage blue(16, 16, QImage::Format_ARGB32);
    blue.fill(qRgb(0, 0, 220));
    QByteArray ico;
    QBuffer buffer(&ico);
    buffer.open(QIODevice::WriteOnly);
    blue.save(&buffer, "ico");
    server.route(QStringLiteral("/g.ico"), {.body = ico, .contentType = "image/x-icon"});
    const QString url = server.url(QStringLiteral("/gadgets.xml")).toString();
    const auto centre = [](const Harness& h) {
      const QImage drawn = h.tree()->findKey(kGadget)->icon(0).pixmap(16, 16).toImage();
      return drawn.convertToFormat(QImage::Format_ARGB32).pixel(8, 8);
    };
    {
      Harness h(url);
      h.window->scheduler().setConnectivityTest([] { return true; });
      QVERIFY(centre(h) != qRgb(0, 0, 220));
      ScheduleEntry entry;
      entry.feedId = kGadget;
      entry.url = url;
      entry.caption = QStringLiteral("Gadget Weekly");
      QVERIFY(h.window->scheduler().RunScheduledCheck({entry}));
      QTRY_COMPARE(centre(h), qRgb(0, 0, 220));
    }
    {
      Harness h(url);  // another run, another folder: no icon yet
      QVERIFY(centre(h) != qRgb(0, 0, 220));
      QVERIFY(h.open(kGadget));
      QTRY_COMPARE(centre(h), qRgb(0, 0, 220));
      QVERIFY(h.messages.empty());
    }
    QCOMPARE(server.hits(QStringLiteral("/g.ico")), 2);
  }

  void markAllReadOfACategory() {
    Harness h;
    frmViewFeed* viewer = h.open(kTide);
    QTreeWidgetItem* harbour = h.category(QStringLiteral("Harbour"));
    h.tree()->setCurrentItem(harbour);
    h.window->reading()->menus().mnuCatMarkRead->trigger();
    QCOMPARE(h.shown(CategoryTreeWidget::keyOf(harbour)), QStringLiteral("Harbour"));
    QVERIFY(!h.bold(CategoryTreeWidget::keyOf(harbour)));
    QCOMPARE(h.shown(kGazette), QStringLiteral("Coastal Gazette"));
    QCOMPARE(h.shown(kTide), QStringLiteral("Tide Talk"));
    QVERIFY(!h.storeText(kGazette).contains("status=\"0\""));
    QVERIFY(!h.storeText(kTide).contains("status=\"0\""));
    // The open viewer's rows are shown read.
    for (int i = 0; i < viewer->lstItems()->topLevelItemCount(); ++i) {
      QVERIFY(!viewer->lstItems()->topLevelItem(i)->data(frmViewFeed::ColTitle, frmViewFeed::UnreadRole).toBool());
    }
    QCOMPARE(h.shown(QStringLiteral("main")), QStringLiteral("Subscribed Feeds"));
  }

  void nextUnreadGoesAcrossFeeds() {
    Harness h;
    frmViewFeed* gazette = h.open(kGazette);
    gazette->lstItems()->setFocus();
    // N walks the gazette's three unread items, then moves on to Tide Talk.
    for (int i = 0; i < 3; ++i) QTest::keyClick(gazette->lstItems(), Qt::Key_N);
    QTRY_COMPARE(h.shown(kGazette), QStringLiteral("Coastal Gazette"));
    QTest::keyClick(gazette->lstItems(), Qt::Key_N);
    QTRY_VERIFY(h.window->activeViewer() && h.window->activeViewer()->FeedID() == kTide);
    frmViewFeed* tide = h.window->activeViewer();
    tide->tmrDelay().stop();
    QVERIFY(test::loadFeedAndWait(*tide, true));
    QTRY_VERIFY(tide->lstItems()->currentItem() != nullptr);
    QCOMPARE(tide->lstItems()->currentItem()->text(frmViewFeed::ColTitle), QStringLiteral("Spring tides"));
    QTRY_COMPARE(h.shown(kTide), QStringLiteral("Tide Talk (1)"));
    // Space at the end of the (short) preview goes on to the next unread item.
    QTest::keyClick(tide->lstItems(), Qt::Key_Space);
    QTRY_COMPARE(h.shown(kTide), QStringLiteral("Tide Talk"));
    QTest::keyClick(tide->lstItems(), Qt::Key_N);
    QTRY_COMPARE(h.window->statusPanel(1)->text(), QStringLiteral("No unread items left."));
  }

  void filterBoxNarrowsTheList() {
    Harness h;
    frmViewFeed* viewer = h.open(kGazette);
    QLineEdit* filter = viewer->reading().txtFilter();
    QVERIFY(filter);
    struct Case {
      const char* typed;
      QStringList titles;
    };
    const Case cases[] = {
        {"QUAY", {QStringLiteral("Harbour works"), QStringLiteral("Fog")}},
        {"qu", {QStringLiteral("Harbour works"), QStringLiteral("Fog")}},  // still typing
        {"quay closed", {QStringLiteral("Harbour works")}},
        {"election", {QStringLiteral("Élection")}},
        {"p", {}},  // the <p> tag is no word
        {"", {QStringLiteral("Harbour works"), QStringLiteral("Élection"), QStringLiteral("Fog")}},
    };
    for (const Case& c : cases) {
      filter->setText(QString::fromUtf8(c.typed));
      QCOMPARE(Harness::visibleTitles(viewer), c.titles);
    }
    filter->setText(QStringLiteral("fog"));
    h.screenshot(h.window.get(), QStringLiteral("reading-filter.png"));
    // The filter stays when the list is filled again.
    QVERIFY(test::loadFeedAndWait(*viewer, true));
    QCOMPARE(Harness::visibleTitles(viewer), QStringList{QStringLiteral("Fog")});
  }

  void starColumnAndStarredNode() {
    Harness h;
    frmViewFeed* viewer = h.open(kTide);
    QTreeWidgetItem* neap = h.rowTitled(viewer, QStringLiteral("Neap tides"));
    QTreeWidget* list = viewer->lstItems();
    const QPoint cell = list->visualRect(list->indexFromItem(neap, frmViewFeed::ColStar)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
    QTRY_VERIFY(h.storeText(kTide).contains("status=\"0\" starred=\"1\""));
    QVERIFY(neap->data(frmViewFeed::ColTitle, frmViewFeed::StarRole).toBool());
    // A click on the star stars, it does not open (or mark read) the item.
    QVERIFY(neap->data(frmViewFeed::ColTitle, frmViewFeed::UnreadRole).toBool());
    QTRY_COMPARE(h.shown(CategoryTreeWidget::kStarredKey), QStringLiteral("Starred (1)"));
    h.screenshot(h.window.get(), QStringLiteral("reading-starred-node.png"));

    // The Starred node lists it; opening it there selects it in its feed.
    h.tree()->setCurrentItem(h.tree()->findKey(CategoryTreeWidget::kStarredKey));
    h.tree()->setFocus();
    QTest::keyClick(h.tree(), Qt::Key_Return);
    frmSearch* starred = h.window->reading()->searchWindow();
    QVERIFY(starred && starred->isVisible());
    QCOMPARE(starred->lstResults()->topLevelItemCount(), 1);
    QCOMPARE(starred->lstResults()->topLevelItem(0)->text(1), QStringLiteral("Neap tides"));
    QCOMPARE(starred->lstResults()->topLevelItem(0)->text(0), QStringLiteral("Tide Talk"));
    h.screenshot(starred, QStringLiteral("reading-starred-list.png"));

    // The key toggles it off again, and the list follows.
    list->setFocus();
    {
      const QSignalBlocker quiet(list);
      list->setCurrentItem(neap);
    }
    QTest::keyClick(list, Qt::Key_S);
    QTRY_VERIFY(!h.storeText(kTide).contains("starred"));
    QTRY_COMPARE(starred->lstResults()->topLevelItemCount(), 0);
    QCOMPARE(h.shown(CategoryTreeWidget::kStarredKey), QStringLiteral("Starred"));
  }

  void searchWindowOpensTheItem() {
    Harness h;
    h.window->reading()->menus().mnuFeedsSearch->trigger();
    frmSearch* search = h.window->reading()->searchWindow();
    QVERIFY(search);
    search->txtSearch()->setText(QStringLiteral("TIDES"));
    search->runSearch();
    QCOMPARE(search->lstResults()->topLevelItemCount(), 2);
    QCOMPARE(search->lstResults()->topLevelItem(0)->text(1), QStringLiteral("Spring tides"));  // newest first
    QCOMPARE(search->lstResults()->topLevelItem(0)->text(2), QStringLiteral("04 Feb 2026 07:30:00"));
    h.screenshot(search, QStringLiteral("reading-search.png"));
    emit search->lstResults()->itemActivated(search->lstResults()->topLevelItem(1), 0);
    frmViewFeed* viewer = h.window->activeViewer();
    QVERIFY(viewer && viewer->FeedID() == kTide);
    viewer->tmrDelay().stop();
    QVERIFY(test::loadFeedAndWait(*viewer, true));
    QTRY_VERIFY(viewer->lstItems()->currentItem() != nullptr);
    QCOMPARE(viewer->lstItems()->currentItem()->text(frmViewFeed::ColTitle), QStringLiteral("Neap tides"));
  }

  void layoutIsRemembered() {
    Harness h;
    h.open(kGazette);
    h.open(kTide)->reading().setSort(frmViewFeed::ColTitle, Qt::AscendingOrder);
    h.window->reading()->saveLayout();
    QVERIFY(QFile::exists(h.home.file(QStringLiteral("Layout.ini"))));
    // Started again in the same folder: the tabs and the sort come back.
    frmMain again(h.context, h.platform);
    again.Form_Load();
    QStringList ids;
    for (frmViewFeed* open : again.viewers()) ids << open->FeedID();
    QCOMPARE(ids, (QStringList{kGazette, kTide}));
    QCOMPARE(again.viewers().first()->sortColumn(), int(frmViewFeed::ColTitle));
    QCOMPARE(again.viewers().first()->sortOrder(), Qt::AscendingOrder);
  }

  // Enter opens the selected feed; Delete asks the feed's or the category's
  // own question, and No keeps everything.
  void treeKeysOpenAndDelete() {
    TestHttpServer server;
    server.route(QStringLiteral("/gadgets.xml"), {.body = kOnePhone});
    Harness h(server.url(QStringLiteral("/gadgets.xml")).toString());
    CategoryTreeWidget* tree = h.tree();
    tree->setFocus();
    tree->setCurrentItem(tree->findKey(kGadget));
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(h.window->activeViewer() && h.window->activeViewer()->FeedID() == kGadget);
    frmViewFeed* viewer = h.window->activeViewer();
    QTRY_VERIFY(!viewer->isLoading() && viewer->lstItems()->topLevelItemCount() == 1);

    tree->setFocus();
    tree->setCurrentItem(tree->findKey(kTide));
    h.messages.answerYesNo(false);
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(h.messages.last().kind, ScriptedMessages::Kind::YesNo);
    QVERIFY(h.messages.last().text.contains(QStringLiteral("Tide Talk")));
    QVERIFY(tree->findKey(kTide));
    h.messages.answerYesNo(true);
    QTest::keyClick(tree, Qt::Key_Delete);
    QVERIFY(!tree->findKey(kTide));
    QVERIFY(!h.home.read(QStringLiteral("feeds.fdb")).contains(kTide.toUtf8()));
    QVERIFY(!QFile::exists(h.home.paths().itemStore(kTide)));
    QTRY_COMPARE(h.shown(QStringLiteral("main")), QStringLiteral("Subscribed Feeds (4)"));

    // A category: its own question, naming it.
    tree->setCurrentItem(h.category(QStringLiteral("Tech")));
    h.messages.answerYesNo(false);
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(h.messages.last().kind, ScriptedMessages::Kind::YesNo);
    QVERIFY(h.messages.last().title.contains(QStringLiteral("Tech")));
    QVERIFY(h.category(QStringLiteral("Tech")));
    // The root is never deleted.
    const std::size_t asked = h.messages.entries().size();
    tree->setCurrentItem(tree->rootItem());
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(h.messages.entries().size(), asked);
  }

  // Stop Updating ends an Update All before its next feed: the feeds after
  // it keep what they had, and the menus come back as before the run.
  void stopUpdatingEndsTheRunBeforeTheNextFeed() {
    TestHttpServer server;
    server.route(QStringLiteral("/gadgets.xml"), {.body = kOnePhone});
    Harness h(server.url(QStringLiteral("/gadgets.xml")).toString());
    h.window->scheduler().setConnectivityTest([] { return true; });
    ReadingController* reading = h.window->reading();
    QStringList started;
    connect(&h.window->scheduler(), &mScheduler::feedStarted, this, [&](int, int, const QString& caption) {
      started << caption;
      if (started.size() == 1) reading->menus().mnuFeedsStopUpdate->trigger();
    });
    QVERIFY(!reading->menus().mnuFeedsStopUpdate->isEnabled());
    reading->updateAll();
    QVERIFY(reading->updating());
    QVERIFY(reading->menus().mnuFeedsStopUpdate->isEnabled());
    QVERIFY(!h.window->menus().mnuToolsExecuteSchedule->isEnabled());
    QTRY_VERIFY(!reading->updating());
    // Coastal Gazette comes first in the tree; Gadget Weekly, last, was never stored.
    QCOMPARE(started, QStringList{QStringLiteral("Coastal Gazette")});
    QCOMPARE(h.shown(kGadget), QStringLiteral("Gadget Weekly"));
    QVERIFY(!QFile::exists(h.home.paths().itemStore(kGadget)));
    QVERIFY(!reading->menus().mnuFeedsStopUpdate->isEnabled());
    QVERIFY(h.window->menus().mnuToolsExecuteSchedule->isEnabled());
  }
};

QTEST_MAIN(ReadingWindowsTest)
#include "ReadingWindowsTest.moc"
