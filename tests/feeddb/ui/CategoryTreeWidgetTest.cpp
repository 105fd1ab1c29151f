#include "app/AppContext.h"
#include "feeddb/mFeeds.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/TreeHost.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

const QString kNewsFeed = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kTechFeed = QStringLiteral("66666666-7777-8888-9999-AAAAAAAAAAAA");
const QString kTechTwin = QStringLiteral("BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF");

const QByteArray kDatabase =
    "<categories>"
    "<category name=\"News\"><feed name=\"Daily\" type=\"0\" id=\"11111111-2222-3333-4444-555555555555\">"
    "http://127.0.0.1/daily.xml</feed></category>"
    "<category name=\"Tech\"><feed name=\"Gadgets\" type=\"1\" id=\"66666666-7777-8888-9999-AAAAAAAAAAAA\">"
    "http://127.0.0.1/gadgets.xml</feed>"
    "<feed name=\"Same URL\" type=\"2\" id=\"BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF\">http://127.0.0.1/daily.xml</feed>"
    "</category>"
    "<category name=\"Art\"/>"
    "</categories>";

class FakeHost : public TreeHost {
 public:
  bool IsFeedOpen(const QString& url, bool activate) override {
    openQueries << url + (activate ? "|activate" : "");
    return open.contains(url);
  }
  void OpenFeedWindow(const QString& caption, const QString& id, const QString& url, qint16 type, bool check) override {
    opened << QStringList{caption, id, url, QString::number(type), check ? "check" : "no check"};
  }
  void popupFeedMenu(const QPoint&) override { menus << "feed"; }
  void popupCategoryMenu(const QPoint&) override { menus << "category"; }
  void setNewFeedEnabled(bool enabled) override { newFeedEnabled = enabled; }

  QStringList open;
  QStringList openQueries;
  QList<QStringList> opened;
  QStringList menus;
  bool newFeedEnabled = true;
};

struct Harness : AppFixture {
  Harness() {
    home.write(QStringLiteral("feeds.fdb"), kDatabase);
    tree = std::make_unique<CategoryTreeWidget>(context, host);
    tree->resize(300, 400);
    tree->LoadCategories();
  }
  QByteArray database() const { return home.read(QStringLiteral("feeds.fdb")); }
  QTreeWidgetItem* category(const QString& name) const {
    QTreeWidgetItem* root = tree->rootItem();
    for (int i = 0; i < root->childCount(); ++i) {
      if (root->child(i)->text(0) == name) return root->child(i);
    }
    return nullptr;
  }

  FakeHost host;
  std::unique_ptr<CategoryTreeWidget> tree;
};

}  // namespace

class CategoryTreeWidgetTest : public QObject {
  Q_OBJECT

 private slots:
  void rendersTheDatabase() {
    Harness h;
    QTreeWidgetItem* root = h.tree->rootItem();
    QCOMPARE(root->text(0), QStringLiteral("Subscribed Feeds"));
    QVERIFY(CategoryTreeWidget::isRoot(root));
    QCOMPARE(root->childCount(), 3);
    QCOMPARE(root->child(0)->text(0), QStringLiteral("Art"));  // categories alphabetically
    QTreeWidgetItem* tech = h.category("Tech");
    QCOMPARE(tech->child(0)->text(0), QStringLiteral("Gadgets"));  // feeds in file order
    QCOMPARE(CategoryTreeWidget::imageOf(tech->child(0)), 4);
    QCOMPARE(CategoryTreeWidget::imageOf(tech->child(1)), 5);
    QCOMPARE(CategoryTreeWidget::tagOf(tech->child(0)), QStringLiteral("http://127.0.0.1/gadgets.xml"));
    QVERIFY(CategoryTreeWidget::isCategory(tech));
    QVERIFY(CategoryTreeWidget::isFeed(tech->child(0)));
  }

  // The RSS feed's picture (a page with a globe over its corner) is drawn
  // whole inside its icon at the size the tree shows it. The tree's pictures
  // start at the top left, the page's frame on the first row and column;
  // the last row and column hold at most a soft edge. A globe running past
  // the corner is cut there and leaves solid pixels in them.
  void rssPictureIsWholeAtTheTreesSize() {
    Harness h;
    QTreeWidgetItem* daily = h.tree->findKey(kNewsFeed);
    QVERIFY(daily);
    QCOMPARE(CategoryTreeWidget::imageOf(daily), 3);
    const QSize size = h.tree->iconSize();
    const QImage picture = daily->icon(0).pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32).scaled(size);
    QVERIFY(!picture.isNull());
    int solid = 0;
    QStringList cut;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const int alpha = qAlpha(picture.pixel(x, y));
        if (alpha >= 128) ++solid;
        const bool edge = x == picture.width() - 1 || y == picture.height() - 1;
        if (edge && alpha >= 128) cut << QStringLiteral("(%1,%2)").arg(x).arg(y);
      }
    }
    // A picture, not an empty icon.
    QVERIFY2(solid >= picture.width() * picture.height() / 2, qPrintable(QString::number(solid)));
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("solid at the edge: ") + cut.join(QLatin1Char(' '))));
  }

  void doubleClickAndRightClick() {
    Harness h;
    QTreeWidgetItem* gadgets = h.tree->findKey(kTechFeed);
    h.tree->openNode(gadgets);
    QCOMPARE(h.host.opened.size(), 1);
    QCOMPARE(h.host.opened[0], (QStringList{"Gadgets", kTechFeed, "http://127.0.0.1/gadgets.xml", "1", "check"}));
    // An open feed is only brought to the front.
    h.host.open << "http://127.0.0.1/gadgets.xml";
    h.tree->openNode(gadgets);
    QCOMPARE(h.host.opened.size(), 1);
    QCOMPARE(h.host.openQueries.last(), QStringLiteral("http://127.0.0.1/gadgets.xml|activate"));
    h.tree->openNode(h.category("Tech"));
    QCOMPARE(h.host.opened.size(), 1);

    h.tree->show();
    const auto rightClick = [&](QTreeWidgetItem* item) {
      const QPoint at = h.tree->visualItemRect(item).center();
      QTest::mousePress(h.tree->viewport(), Qt::RightButton, {}, at);
      QTest::mouseRelease(h.tree->viewport(), Qt::RightButton, {}, at);
    };
    rightClick(h.tree->rootItem());
    QVERIFY(h.host.menus.isEmpty());
    rightClick(h.category("News"));
    rightClick(h.tree->findKey(kNewsFeed));
    QCOMPARE(h.host.menus, (QStringList{"category", "feed"}));
  }

  void renameRules() {
    Harness h;
    h.tree->setCurrentItem(h.tree->rootItem());
    QVERIFY(!h.tree->beginRename());
    h.tree->setCurrentItem(h.category("News"));
    QVERIFY(h.tree->beginRename());

    const QByteArray before = h.database();
    QTreeWidgetItem* news = h.category("News");
    QVERIFY(!h.tree->AfterLabelEdit(news, QStringLiteral("   ")));
    QVERIFY(!h.tree->AfterLabelEdit(news, QStringLiteral("NEWS")));
    QCOMPARE(h.database(), before);
    QVERIFY(h.messages.empty());

    QTreeWidgetItem* daily = h.tree->findKey(kNewsFeed);
    QVERIFY(!h.tree->AfterLabelEdit(daily, QStringLiteral("tech")));
    QCOMPARE(h.messages.last().title, QStringLiteral("Category Exists!"));
    QCOMPARE(h.messages.last().text,
             QStringLiteral("Category with same Name already exists. Try some other Category Name ..."));
    QVERIFY(!h.tree->AfterLabelEdit(news, QStringLiteral("Art")));
    QCOMPARE(h.database(), before);
    QCOMPARE(daily->text(0), QStringLiteral("Daily"));

    QVERIFY(h.tree->AfterLabelEdit(news, QStringLiteral("World")));
    QCOMPARE(news->text(0), QStringLiteral("World"));
    QVERIFY(h.database().contains("<category name=\"World\">"));
    QVERIFY(h.tree->AfterLabelEdit(daily, QStringLiteral("Daily Digest")));
    QVERIFY(h.database().contains("name=\"Daily Digest\""));
  }

  void f2EditsTheLabelThroughTheRules() {
    Harness h;
    h.tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.tree.get()));
    h.tree->setCurrentItem(h.category("Art"));
    QTest::keyClick(h.tree.get(), Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Design"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(h.database().contains("<category name=\"Design\""));
    QCOMPARE(h.category("Design") != nullptr, true);

    // Typing the name of another category is refused and the label stays.
    h.tree->setCurrentItem(h.category("Design"));
    QTest::keyClick(h.tree.get(), Qt::Key_F2);
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("news"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(h.messages.titles(), QStringList{QStringLiteral("Category Exists!")});
    QVERIFY(h.category("Design"));
  }

  void dragAndDropRules() {
    Harness h;
    QVERIFY(!h.tree->beginFeedDrag(h.category("Tech")));
    QVERIFY(!h.tree->draggedFeed());
    QVERIFY(!h.tree->beginFeedDrag(h.tree->rootItem()));
    QVERIFY(!h.tree->acceptsDrop(h.tree->rootItem()));
    QVERIFY(!h.tree->acceptsDrop(h.tree->findKey(kNewsFeed)));
    QVERIFY(h.tree->acceptsDrop(h.category("Art")));
    const QByteArray before = h.database();

    // Onto its own category: nothing, not even a question.
    QVERIFY(h.tree->beginFeedDrag(h.tree->findKey(kNewsFeed)));
    h.tree->dropDraggedFeedOn(h.category("News"));
    QVERIFY(h.messages.empty());

    // Answered No.
    h.messages.answerYesNo(false);
    h.tree->dropDraggedFeedOn(h.category("Tech"));
    QCOMPARE(h.messages.last().title, QStringLiteral("Change Category?"));
    QCOMPARE(h.messages.last().text,
             QStringLiteral("Are you sure you want to move selected Feed from \"News\" to \"Tech\" category?"));
    QCOMPARE(h.database(), before);

    // The target already has that URL.
    h.messages.answerYesNo(true);
    h.tree->dropDraggedFeedOn(h.category("Tech"));
    QCOMPARE(h.messages.last().title, QStringLiteral("Feed already Exists!"));
    QCOMPARE(h.messages.last().text, QStringLiteral("Feed with same URL already exists under category \"Tech\"."));
    QCOMPARE(h.messages.last().icon, MessageIcon::Information);
    QCOMPARE(h.database(), before);

    // A free target: moved and the tree rebuilt from the file.
    QVERIFY(h.tree->beginFeedDrag(h.tree->findKey(kTechFeed)));
    h.messages.answerYesNo(true);
    h.tree->dropDraggedFeedOn(h.category("Art"));
    QTreeWidgetItem* art = h.category("Art");
    QCOMPARE(art->childCount(), 1);
    QCOMPARE(CategoryTreeWidget::keyOf(art->child(0)), kTechFeed);
    QCOMPARE(h.category("Tech")->childCount(), 1);
    QCOMPARE(CategoryTreeWidget::keyOf(h.category("Tech")->child(0)), kTechTwin);
  }
};

QTEST_MAIN(CategoryTreeWidgetTest)
#include "CategoryTreeWidgetTest.moc"
