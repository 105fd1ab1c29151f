#include "app/AppContext.h"
#include "feeddb/FeedRecord.h"
#include "feeddb/mFeeds.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/TreeHost.h"
#include "feeddb/ui/TreeIcons.h"
#include "feeds/FeedIconImage.h"
#include "support/AppFixture.h"
#include "support/TestHttpServer.h"

#include <QBuffer>
#include <QImage>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::TestHttpServer;

namespace {

const QString kDaily = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kGadgets = QStringLiteral("66666666-7777-8888-9999-AAAAAAAAAAAA");
const QString kLater = QStringLiteral("BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF");
const QRgb kRed = qRgb(230, 0, 0);
const QRgb kBlue = qRgb(0, 0, 220);

QByteArray icoOf(QRgb color) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(color);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "ico");
  return bytes;
}

class NoHost : public TreeHost {
 public:
  bool IsFeedOpen(const QString&, bool) override { return false; }
  void OpenFeedWindow(const QString&, const QString&, const QString&, qint16, bool) override {}
  void popupFeedMenu(const QPoint&) override {}
  void popupCategoryMenu(const QPoint&) override {}
  void setNewFeedEnabled(bool) override {}
};

// Two sites on one test server: /daily/ and /gadgets/, each with a feed.
struct Harness : AppFixture {
  Harness() {
    server.route("/daily/feed.xml", {.body = "<rss version=\"2.0\"><channel><title>Daily</title><image><url>"
                                             "/daily/icon.ico</url></image></channel></rss>"});
    server.route("/daily/icon.ico", {.body = icoOf(kRed), .contentType = "image/x-icon"});
    server.route("/gadgets/feed.xml", {.body = "<rss version=\"2.0\"><channel><title>G</title></channel></rss>"});
    home.write(QStringLiteral("feeds.fdb"),
               "<categories><category name=\"News\"><feed name=\"Daily\" type=\"0\" id=\"" + kDaily.toUtf8() + "\">" +
                   url("/daily/feed.xml") + "</feed><feed name=\"Gadgets\" type=\"1\" id=\"" + kGadgets.toUtf8() +
                   "\">" + url("/gadgets/feed.xml") + "</feed></category></categories>");
    tree = std::make_unique<CategoryTreeWidget>(context, host);
    tree->LoadCategories();
  }
  QByteArray url(const char* path) const { return server.url(QString::fromLatin1(path)).toString().toUtf8(); }
  // The colour in the middle of a feed's icon as the tree draws it.
  QRgb shown(const QString& feedId) const {
    const QTreeWidgetItem* node = tree->findKey(feedId);
    const QImage drawn = node->icon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    return drawn.pixel(drawn.width() / 2, drawn.height() / 2);
  }
  bool showsTypeIcon(const QString& feedId) const {
    const QTreeWidgetItem* node = tree->findKey(feedId);
    return node->icon(0).pixmap(16, 16).toImage() ==
           CategoryTreeWidget::imageIcon(CategoryTreeWidget::imageOf(node)).pixmap(16, 16).toImage();
  }

  TestHttpServer server;
  NoHost host;
  std::unique_ptr<CategoryTreeWidget> tree;
};

}  // namespace

class TreeIconsTest : public QObject {
  Q_OBJECT

 private slots:
  void theTreeShowsTheStoredIcon() {
    Harness h;
    QVERIFY(h.showsTypeIcon(kDaily));
    QImage blue(32, 32, QImage::Format_ARGB32);
    blue.fill(kBlue);
    QVERIFY(FeedIconImage::save(blue, h.context.paths.feedIcon(kDaily)));
    h.tree->LoadCategories();
    QCOMPARE(h.shown(kDaily), kBlue);
    QVERIFY(h.showsTypeIcon(kGadgets));
    // A damaged file is no icon.
    h.home.write(QStringLiteral("Icons/") + kGadgets + QStringLiteral(".png"), "not a picture");
    h.tree->showFeedIcon(kGadgets);
    QVERIFY(h.showsTypeIcon(kGadgets));
  }

  void aCheckedFeedGetsItsIconOnce() {
    Harness h;
    QNetworkAccessManager manager;
    TreeIcons icons(h.context, *h.tree, &manager);
    QSignalSpy fetched(&icons.icons(), &FeedIcons::fetched);
    // The feeds of the first load wait for a check.
    QVERIFY(!icons.icons().busy());

    icons.feedChecked(kDaily);
    QVERIFY(fetched.wait(30000));
    QCOMPARE(h.shown(kDaily), kRed);

    // A site without any icon: the failure is silent and not repeated in this run.
    icons.feedChecked(kGadgets);
    QVERIFY(fetched.wait(30000));
    QVERIFY(!fetched.last().at(1).value<FeedIconResult>().found);
    QVERIFY(h.showsTypeIcon(kGadgets));
    icons.feedChecked(kGadgets);
    icons.feedChecked(kDaily);
    QVERIFY(!icons.icons().busy());
    QCOMPARE(h.server.hits(QStringLiteral("/gadgets/feed.xml")), 1);
    QCOMPARE(h.server.hits(QStringLiteral("/daily/icon.ico")), 1);
    QVERIFY(h.messages.empty());
  }

  void anAddedFeedGetsItsIcon() {
    Harness h;
    QNetworkAccessManager manager;
    TreeIcons icons(h.context, *h.tree, &manager);
    QSignalSpy fetched(&icons.icons(), &FeedIcons::fetched);
    h.server.route("/later/feed.xml", {.body = "<rss version=\"2.0\"><channel><title>L</title></channel></rss>"});
    h.server.route("/favicon.ico", {.body = icoOf(kBlue)});
    FeedRecord record{QStringLiteral("News"), QString::fromUtf8(h.url("/later/feed.xml")), FeedType::RSS, kLater,
                      QStringLiteral("Later")};
    QVERIFY(mFeeds(h.context.paths, h.context.messages).AddFeed(record));
    h.tree->LoadCategories();
    QVERIFY(fetched.wait(30000));
    QCOMPARE(fetched.first().at(0).toString(), kLater);
    QCOMPARE(h.shown(kLater), kBlue);
    QCOMPARE(fetched.size(), 1);  // the feeds already there were left alone
  }
};

QTEST_MAIN(TreeIconsTest)
#include "TreeIconsTest.moc"
