#include "app/AppContext.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/PreviewBrowser.h"
#include "feeds/ui/PreviewPage.h"
#include "feeds/ui/ViewerHost.h"
#include "feeds/ui/frmViewFeed.h"
#include "support/AppFixture.h"
#include "support/FeedBuilder.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"
#include "support/ui/FakeViewerHost.h"
#include "support/ui/ViewerLoad.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::rss;
using tidewell::test::rssItem;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

const QString kFeedId = QStringLiteral("0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9");
const QString kCaption = QStringLiteral("Coast News");

// Three dated items, newest first as feeds list them.
QByteArray threeItems() {
  return rss({rssItem(QStringLiteral("Third"), QStringLiteral("http://example.invalid/3"),
                      QStringLiteral("Tue, 10 Sep 2002 09:00:00 GMT"), QStringLiteral("<p>third body</p>")),
              rssItem(QStringLiteral("Second"), QStringLiteral("http://example.invalid/2"),
                      QStringLiteral("Mon, 09 Sep 2002 09:00:00 GMT"), QStringLiteral("<p>second body</p>")),
              rssItem(QStringLiteral("First"), QStringLiteral("http://example.invalid/1"),
                      QStringLiteral("Sat, 07 Sep 2002 00:00:01 GMT"), QStringLiteral("<p>first body</p>"))});
}

using FakeHost = tidewell::test::FakeViewerHost;

struct Harness : AppFixture {
  explicit Harness(const AppPaths& customPaths = {}) : AppFixture(customPaths) {
    QDir().mkpath(context.paths.dataFolder());
    viewer = std::make_unique<frmViewFeed>(context, platform, host, FeedRecord{.id = kFeedId, .name = kCaption});
    viewer->setCheckForNewItems(true);
    viewer->resize(900, 700);
    // Shown, so rows have places to click; the checks run when the test says.
    viewer->show();
    viewer->tmrDelay().stop();
  }
  QTreeWidget* list() const { return viewer->lstItems(); }
  QTreeWidgetItem* row(int i) const { return list()->topLevelItem(i); }
  QStringList titles() const {
    QStringList t;
    for (int i = 0; i < list()->topLevelItemCount(); ++i) t << row(i)->text(frmViewFeed::ColTitle);
    return t;
  }
  std::optional<StoredItems> stored() {
    ScriptedMessages quiet;
    return ItemStore(context.paths.itemStore(kFeedId)).LoadStoredItems(quiet);
  }
  // A click on a row as the list reports it.
  void click(QTreeWidgetItem* item) {
    list()->setCurrentItem(item);
    emit list()->itemClicked(item, 0);
  }

  tidewell::test::FakePlatform platform;
  FakeHost host;
  std::unique_ptr<frmViewFeed> viewer;
};

ino_t inodeOf(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

class FeedViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void firstOpenFillsTheListNewestFirstWithEveryCaption() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = threeItems()});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QSignalSpy captions(h.viewer.get(), &frmViewFeed::captionChanged);

    QVERIFY(test::loadFeedAndWait(*h.viewer, true));

    QStringList seen;
    for (const QList<QVariant>& args : captions) seen << args.at(0).toString();
    QCOMPARE(seen, (QStringList{kCaption + " (loading ...)", kCaption + " (checking ...)", kCaption + " (parsing ...)",
                                kCaption + " (updating ...)", kCaption + " [new]"}));
    QCOMPARE(h.titles(), (QStringList{"Third", "Second", "First"}));
    for (int i = 0; i < 3; ++i) {
      QVERIFY(h.row(i)->data(frmViewFeed::ColTitle, frmViewFeed::UnreadRole).toBool());
      QVERIFY(h.row(i)->font(frmViewFeed::ColTitle).bold());
    }
    // New rows write their dates as the stored ones do.
    QVERIFY(h.row(2)->text(frmViewFeed::ColPublished).startsWith("07 Sep 2002 ; "));
    QCOMPARE(h.row(2)->text(frmViewFeed::ColDateSort), QStringLiteral("20020907000001"));
    QVERIFY(h.list()->isColumnHidden(frmViewFeed::ColDateSort));
    QVERIFY(!h.viewer->StillExecuting());
    QVERIFY(h.messages.empty());
    QCOMPARE(h.stored()->items.size(), size_t(3));

    // A second check of the unchanged feed adds nothing and drops the mark.
    captions.clear();
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    QCOMPARE(h.titles(), (QStringList{"Third", "Second", "First"}));
    QCOMPARE(captions.last().at(0).toString(), kCaption);
    QVERIFY(!h.viewer->HasNewItems());
    // Stored rows show their dates with " ; ".
    QVERIFY(h.row(2)->text(frmViewFeed::ColPublished).startsWith("07 Sep 2002 ; "));
    QCOMPARE(h.stored()->items.size(), size_t(3));
  }

  void undatedItemsAndHeaderSorting() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"),
                 {.body = rss({rssItem("Beta", "http://example.invalid/b", "Mon, 09 Sep 2002 09:00:00 GMT", "b"),
                               rssItem("Gamma", "http://example.invalid/g", "Sat, 07 Sep 2002 09:00:00 GMT", "g"),
                               rssItem("Alpha", "http://example.invalid/a", QString(), "a")})});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    QCOMPARE(h.titles(), (QStringList{"Beta", "Gamma", "Alpha"}));
    QCOMPARE(h.row(2)->text(frmViewFeed::ColPublished), QStringLiteral("No Date Info Provided"));
    QCOMPARE(h.row(2)->text(frmViewFeed::ColDateSort), QStringLiteral("0"));

    // Clicking "Published On" twice: ascending, then descending by date key.
    h.viewer->sortByHeader(frmViewFeed::ColPublished);
    QCOMPARE(h.titles(), (QStringList{"Alpha", "Gamma", "Beta"}));
    h.viewer->sortByHeader(frmViewFeed::ColPublished);
    QCOMPARE(h.titles(), (QStringList{"Beta", "Gamma", "Alpha"}));
    h.viewer->sortByHeader(frmViewFeed::ColTitle);
    QCOMPARE(h.titles(), (QStringList{"Alpha", "Beta", "Gamma"}));

    // Reopened, the stored undated item shows no date at all.
    h.viewer->setCheckForNewItems(false);
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    QTreeWidgetItem* alpha = h.row(h.titles().indexOf(QStringLiteral("Alpha")));
    QCOMPARE(alpha->text(frmViewFeed::ColPublished), QString());
  }

  void cancellingWorkingOfflineKeepsStoredItems() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = threeItems()});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    const int hitsBefore = server.hits(QStringLiteral("/feed.xml"));
    h.messages.clear();

    h.platform.connected = false;
    h.messages.answerRetryCancel(true);   // Retry: still offline
    h.messages.answerRetryCancel(false);  // Cancel
    QSignalSpy captions(h.viewer.get(), &frmViewFeed::captionChanged);
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));

    QCOMPARE(h.messages.titles(), (QStringList{"Working Offline?", "Working Offline?"}));
    QVERIFY(h.messages.last().text.endsWith(QStringLiteral("Internet access for Tidewell")));
    QCOMPARE(h.titles().size(), 3);
    QCOMPARE(captions.last().at(0).toString(), kCaption);
    QCOMPARE(server.hits(QStringLiteral("/feed.xml")), hitsBefore);
  }

  void clickPreviewsAndMarksReadOnce() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = threeItems()});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    const QString store = h.context.paths.itemStore(kFeedId);

    // A real mouse click on the first row.
    QTest::mouseClick(h.list()->viewport(), Qt::LeftButton, {}, h.list()->visualItemRect(h.row(0)).center());
    QVERIFY(h.host.emailEnabled);
    QVERIFY(h.viewer->ucPreview()->bodyInnerText().contains(QStringLiteral("third body")));
    QVERIFY(h.viewer->ucPreview()->bodyInnerText().contains(QStringLiteral("Third")));
    QVERIFY(!QFile::exists(h.context.paths.previewTmp()));
    QVERIFY(!h.row(0)->font(frmViewFeed::ColTitle).bold());
    QCOMPARE(h.viewer->currentItem().title, QStringLiteral("Third"));
    QCoreApplication::processEvents();  // the read mark is saved once the preview shows
    const auto after = h.stored();
    int read = 0;
    for (const StoredItem& item : after->items) read += item.status == QLatin1String("1") ? 1 : 0;
    QCOMPARE(read, 1);
    QCOMPARE(after->items.back().title, QStringLiteral("Third"));
    QCOMPARE(after->items.back().status, QStringLiteral("1"));

    // A read row is shown again without the store being written.
    const ino_t inode = inodeOf(store);
    h.click(h.row(0));
    QCoreApplication::processEvents();
    QCOMPARE(inodeOf(store), inode);
    QVERIFY(h.messages.empty());
  }

  void deleteRemovesTheRowAndBlanksThePreview() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = threeItems()});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    h.click(h.row(1));
    QVERIFY(!h.viewer->ucPreview()->isBlank());

    h.viewer->HandlePopupMenu(QStringLiteral("del"));
    QCOMPARE(h.titles(), (QStringList{"Third", "First"}));
    QVERIFY(h.viewer->ucPreview()->isBlank());
    QCOMPARE(h.stored()->items.size(), size_t(2));

    h.click(h.row(0));
    h.viewer->HandlePopupMenu(QStringLiteral("del"));
    h.click(h.row(0));
    h.viewer->HandlePopupMenu(QStringLiteral("del"));
    QCOMPARE(h.list()->topLevelItemCount(), 0);
    QVERIFY(h.viewer->ucPreview()->isBlank());
    QVERIFY(h.messages.empty());
  }

  // Items without a link, and items sharing one, are each reached as themselves.
  void itemsWithoutOrSharingALinkAreTheirOwnRows() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"),
                 {.body = rss({rssItem("Repost", "http://example.invalid/same", "Tue, 10 Sep 2002 09:00:00 GMT",
                                       "<p>repost body</p>"),
                               rssItem("No link", QString(), "Mon, 09 Sep 2002 09:00:00 GMT", "<p>no link body</p>"),
                               rssItem("Original", "http://example.invalid/same", "Sat, 07 Sep 2002 09:00:00 GMT",
                                       "<p>original body</p>")})});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    QCOMPARE(h.titles(), (QStringList{"Repost", "No link", "Original"}));

    h.click(h.row(0));
    QVERIFY(h.viewer->ucPreview()->bodyInnerText().contains(QStringLiteral("repost body")));
    h.click(h.row(1));
    QVERIFY(h.viewer->ucPreview()->bodyInnerText().contains(QStringLiteral("no link body")));
    QVERIFY(h.messages.empty());

    // Deleting the older of the two shared-link items keeps the newer one reachable.
    h.click(h.row(2));
    h.viewer->HandlePopupMenu(QStringLiteral("del"));
    QCOMPARE(h.titles(), (QStringList{"Repost", "No link"}));
    h.click(h.row(0));
    QVERIFY(h.viewer->ucPreview()->bodyInnerText().contains(QStringLiteral("repost body")));
    QStringList left;
    const auto stored = h.stored();
    for (const StoredItem& item : stored->items) left << item.title;
    QCOMPARE(left, (QStringList{"No link", "Repost"}));

    // The same after reopening: rows read from the store carry the same references.
    h.viewer->setCheckForNewItems(false);
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    h.click(h.row(h.titles().indexOf(QStringLiteral("No link"))));
    QVERIFY(h.viewer->ucPreview()->bodyInnerText().contains(QStringLiteral("no link body")));
    QVERIFY(h.messages.empty());
  }

  void exportWritesThePreviewAndCancelWritesNothing() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = threeItems()});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    h.click(h.row(0));
    QTemporaryDir out;

    const QString html = out.filePath(QStringLiteral("item.html"));
    h.messages.answerSaveFile(html);
    h.viewer->HandlePopupMenu(QStringLiteral("html"));
    QFile htmlFile(html);
    QVERIFY(htmlFile.open(QIODevice::ReadOnly));
    const QString htmlText = QString::fromUtf8(htmlFile.readAll());
    // A document of its own: the item's sanitised body in a page that says
    // its encoding and lets nothing run.
    QVERIFY(htmlText.contains(QStringLiteral("<p>third body</p>")));
    QVERIFY(htmlText.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(htmlText.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QVERIFY(htmlText.contains(QStringLiteral("Content-Security-Policy")));

    const QString txt = out.filePath(QStringLiteral("item.txt"));
    h.messages.answerSaveFile(txt);
    h.viewer->HandlePopupMenu(QStringLiteral("txt"));
    QFile txtFile(txt);
    QVERIFY(txtFile.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(txtFile.readAll());
    QVERIFY(text.contains(QStringLiteral("third body")));
    QVERIFY(!text.contains(QLatin1Char('<')));
    QCOMPARE(h.messages.last().title, QStringLiteral("Save As ..."));

    // Cancel: no answer scripted, no file written.
    const int files = QDir(out.path()).entryList(QDir::Files).size();
    h.viewer->HandlePopupMenu(QStringLiteral("html"));
    h.viewer->HandlePopupMenu(QStringLiteral("txt"));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), files);
  }

  // Preview one item, open the menu on another, export it: the file holds
  // the one the menu was opened on, is named after its title, starts in the
  // folder the last export went to, and its text has no placeholder
  // character where the picture was.
  void exportTakesTheItemTheMenuWasOpenedOn() {
    TestHttpServer server;
    server.route(
        QStringLiteral("/feed.xml"),
        {.body =
             rss({rssItem(QStringLiteral("Harbour: report 2/3"), QStringLiteral("http://example.invalid/b"),
                          QStringLiteral("Tue, 10 Sep 2002 09:00:00 GMT"),
                          QStringLiteral("<p>before<img src=\"pic.png\">after</p>")),
                  rssItem(QStringLiteral("Previewed"), QStringLiteral("http://example.invalid/a"),
                          QStringLiteral("Mon, 09 Sep 2002 09:00:00 GMT"), QStringLiteral("<p>previewed body</p>"))})});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    QCOMPARE(h.titles(), (QStringList{"Harbour: report 2/3", "Previewed"}));
    h.click(h.row(1));
    h.list()->setCurrentItem(h.row(0));  // a right click selects the row it lands on
    QTemporaryDir out;
    const bool unreadBefore = h.row(0)->data(frmViewFeed::ColTitle, frmViewFeed::UnreadRole).toBool();

    const QString html = out.filePath(QStringLiteral("chosen.html"));
    h.messages.answerSaveFile(html);
    h.viewer->HandlePopupMenu(QStringLiteral("html"));
    QCOMPARE(h.messages.last().text, QDir::home().filePath(QStringLiteral("Harbour report 2 3.html")));
    QFile htmlFile(html);
    QVERIFY(htmlFile.open(QIODevice::ReadOnly));
    const QString htmlText = QString::fromUtf8(htmlFile.readAll());
    QVERIFY(htmlText.contains(QStringLiteral("after")));
    QVERIFY(!htmlText.contains(QStringLiteral("previewed body")));
    // Exporting reads the item; it changes no read mark.
    QCOMPARE(h.row(0)->data(frmViewFeed::ColTitle, frmViewFeed::UnreadRole).toBool(), unreadBefore);

    h.messages.answerSaveFile(out.filePath(QStringLiteral("chosen.txt")));
    h.viewer->HandlePopupMenu(QStringLiteral("txt"));
    QCOMPARE(h.messages.last().text, QDir(out.path()).filePath(QStringLiteral("Harbour report 2 3.txt")));
    QFile txtFile(out.filePath(QStringLiteral("chosen.txt")));
    QVERIFY(txtFile.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(txtFile.readAll());
    QVERIFY(text.contains(QStringLiteral("beforeafter")));
    QVERIFY(!text.contains(QChar::ObjectReplacementCharacter));
    QVERIFY(!text.contains(QStringLiteral("previewed body")));
  }

  // A check that times out and is cancelled has had its message: the parse
  // of what the previous check left must not add "empty data stream".
  void aCancelledTimeOutIsOneMessage() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.stall = true});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    h.viewer->fetchTimeoutMs = 150;
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));  // no answer scripted: Cancel
    QCOMPARE(h.messages.titles(), QStringList{"Server Timeout!"});
    QCOMPARE(h.viewer->windowTitle(), kCaption);
    QVERIFY(!h.viewer->StillExecuting());
  }

  void previewErrorBoxes() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = threeItems()});
    TempHome bare;  // a program folder without view.tpl
    Harness h(AppPaths(bare.path(), bare.path()));
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));

    h.messages.clear();
    h.click(h.row(0));
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Error!")});
    QVERIFY(h.row(0)->font(frmViewFeed::ColTitle).bold());  // nothing was marked read

    bare.write(QStringLiteral("view.tpl"), "   ");
    h.click(h.row(0));
    QCOMPARE(h.messages.last().title, QStringLiteral("Invalid Preview data object!"));

    bare.write(QStringLiteral("view.tpl"), "<p>[[title]]</p>");
    QFile::remove(h.context.paths.itemStore(kFeedId));
    h.messages.clear();
    h.click(h.row(0));
    QCOMPARE(h.messages.last().title, QStringLiteral("Failed to locate item in Feed Data File!"));
    QVERIFY(h.viewer->ucPreview()->isBlank());
  }

  void emailAndOnlineCommands() {
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = threeItems()});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    h.click(h.row(0));

    h.viewer->HandlePopupMenu(QStringLiteral("online"));
    QCOMPARE(h.platform.opened, QStringList{QStringLiteral("http://example.invalid/3")});
    // Links in the preview go to the browser; local files never do.
    emit h.viewer->ucPreview()->anchorClicked(QUrl(QStringLiteral("https://example.invalid/more")));
    emit h.viewer->ucPreview()->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    emit h.viewer->ucPreview()->anchorClicked(QUrl(QStringLiteral("#top")));
    emit h.viewer->ucPreview()->anchorClicked(QUrl(QStringLiteral("/related")));
    QCOMPARE(h.platform.opened.size(), 3);
    QCOMPARE(h.platform.opened[1], QStringLiteral("https://example.invalid/more"));
    QCOMPARE(h.platform.opened[2], QStringLiteral("http://example.invalid/related"));  // relative to the item's link
    h.platform.opened.clear();

    // No server set: asked; No explains why nothing is sent.
    h.viewer->HandlePopupMenu(QStringLiteral("email"));
    QCOMPARE(h.messages.titles().mid(0, 2),
             (QStringList{"Email Server Settings not configured!", "Cannot Send Email!"}));
    h.messages.answerYesNo(true);
    h.viewer->HandlePopupMenu(QStringLiteral("email"));
    QCOMPARE(h.host.emailSettings, 1);

    h.context.settings.smtpServer = QStringLiteral("127.0.0.1");
    QVERIFY(h.context.settings.SaveEmailSettings(false).ok());
    h.viewer->HandlePopupMenu(QStringLiteral("email"));
    QCOMPARE(h.host.sent, (QStringList{kCaption, "Third", "http://example.invalid/3", "<p>third body</p>"}));
  }

  // The article's body is what the preview and the e-mail show; its relative
  // addresses point at the feed's server; the enclosure plays and downloads;
  // the feed's limits take old rows out of the list as they leave the store.
  void bodyEnclosureAndRetention() {
    TestHttpServer server;
    const QByteArray audio = QByteArray("ID3").repeated(1000);
    server.route(QStringLiteral("/ep.mp3"), {.body = audio, .contentType = "audio/mpeg"});
    const QByteArray first =
        "<item><title>Full</title><link>a/1</link><pubDate>Sat, 07 Sep 2002 00:00:01 GMT</pubDate>"
        "<description>teaser</description><content:encoded>&lt;p&gt;full &lt;img src=\"pic.png\"&gt;&lt;/p&gt;"
        "</content:encoded><enclosure url=\"ep.mp3\" type=\"audio/mpeg\" length=\"3000\"/></item>";
    server.route(QStringLiteral("/feed.xml"), {.body = rss({first})});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    QCOMPARE(h.titles(), QStringList{QStringLiteral("Full")});
    h.click(h.row(0));
    const QString shown = h.viewer->ucPreview()->bodyInnerHtml();
    QVERIFY2(shown.contains(QStringLiteral("full")) && !shown.contains(QStringLiteral("teaser")), qPrintable(shown));
    QCOMPARE(h.viewer->currentItem().content,
             QStringLiteral("<p>full <img src=\"%1\"></p>").arg(server.url(QStringLiteral("/pic.png")).toString()));
    QCOMPARE(h.viewer->currentItem().link, server.url(QStringLiteral("/a/1")).toString());

    const QString enclosure = server.url(QStringLiteral("/ep.mp3")).toString();
    QCOMPARE(h.viewer->selectedEnclosure(), enclosure);
    h.viewer->HandlePopupMenu(QStringLiteral("play"));
    QCOMPARE(h.platform.opened, QStringList{enclosure});
    const QString target = h.home.file(QStringLiteral("saved.mp3"));
    h.messages.answerSaveFile(target);
    h.viewer->HandlePopupMenu(QStringLiteral("download"));
    QCOMPARE(h.home.read(QStringLiteral("saved.mp3")), audio);
    QCOMPARE(h.messages.titles().last(), QStringLiteral("Done!"));

    h.context.settings.smtpServer = QStringLiteral("127.0.0.1");
    QVERIFY(h.context.settings.SaveEmailSettings(false).ok());
    h.viewer->HandlePopupMenu(QStringLiteral("email"));
    QCOMPARE(h.host.sent.value(3), h.viewer->currentItem().content);

    // Keep one item, unread too: the next check's new item replaces the old row.
    h.context.settings.retentionKeep = 1;
    h.context.settings.retentionIncludeUnread = true;
    QVERIFY(h.context.settings.SaveRetentionSettings().ok());
    server.route(QStringLiteral("/feed.xml"),
                 {.body = rss({rssItem(QStringLiteral("Newer"), QStringLiteral("http://example.invalid/n"),
                                       QStringLiteral("Sun, 08 Sep 2002 00:00:01 GMT"), QStringLiteral("n")),
                               first})});
    QVERIFY(test::loadFeedAndWait(*h.viewer, false));
    QCOMPARE(h.titles(), QStringList{QStringLiteral("Newer")});
    QVERIFY(h.viewer->HasNewItems());
    QCOMPARE(h.stored()->items.size(), size_t(1));
  }

  // A podcast item's "Open original" and "online" go to the episode's page;
  // the enclosure is what plays, and what opens when the item has no page.
  void originalOfAPodcastItemIsItsPage() {
    TestHttpServer server;
    const QByteArray withPage =
        "<item><title>With page</title><link>ep/1</link><pubDate>Sun, 08 Sep 2002 00:00:01 GMT</pubDate>"
        "<description>one</description><enclosure url=\"ep1.mp3\" type=\"audio/mpeg\" length=\"3\"/></item>";
    const QByteArray audioOnly =
        "<item><title>Audio only</title><guid isPermaLink=\"false\">ep-2</guid>"
        "<pubDate>Sat, 07 Sep 2002 00:00:01 GMT</pubDate>"
        "<description>two</description><enclosure url=\"ep2.mp3\" type=\"audio/mpeg\" length=\"3\"/></item>";
    server.route(QStringLiteral("/feed.xml"), {.body = rss({withPage, audioOnly})});
    Harness h;
    h.viewer->setFeedURL(server.url(QStringLiteral("/feed.xml")).toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));
    QCOMPARE(h.titles(), (QStringList{QStringLiteral("With page"), QStringLiteral("Audio only")}));

    const struct {
      QString original;
      QString enclosure;
    } rows[] = {{server.url(QStringLiteral("/ep/1")).toString(), server.url(QStringLiteral("/ep1.mp3")).toString()},
                {server.url(QStringLiteral("/ep2.mp3")).toString(), server.url(QStringLiteral("/ep2.mp3")).toString()}};
    for (int i = 0; i < 2; ++i) {
      h.click(h.row(i));
      // The preview's own "Open original" link, as the user clicks it.
      const QTextCursor found = h.viewer->ucPreview()->document()->find(QStringLiteral("Open original"));
      QVERIFY(!found.isNull());
      const QString href = found.charFormat().anchorHref();
      QCOMPARE(href, rows[i].original);
      h.platform.opened.clear();
      emit h.viewer->ucPreview()->anchorClicked(QUrl(href));
      h.viewer->HandlePopupMenu(QStringLiteral("online"));
      h.viewer->HandlePopupMenu(QStringLiteral("play"));
      QCOMPARE(h.platform.opened, (QStringList{rows[i].original, rows[i].original, rows[i].enclosure}));
    }
  }

  void remotePicturesArriveLaterAndBigOnesNever() {
    TestHttpServer server;
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    server.route("/pic.png", {.body = png, .contentType = "image/png", .held = true});
    server.route("/huge.png",
                 {.body = QByteArray(PreviewBrowser::kMaxImageBytes + 4096, 'x'), .contentType = "image/png"});
    const QString pic = server.url("/pic.png").toString();
    const QString huge = server.url("/huge.png").toString();
    server.route("/feed.xml",
                 {.body = rss({rssItem("Pictures", "http://example.invalid/p", "Tue, 10 Sep 2002 09:00:00 GMT",
                                       "<p>two pictures</p><img src=\"" + pic + "\"><img src=\"" + huge + "\">")})});
    Harness h;
    h.viewer->setFeedURL(server.url("/feed.xml").toString());
    QVERIFY(test::loadFeedAndWait(*h.viewer, true));

    // The picture is answered only after the page is up: a page that waited
    // for its pictures would never show.
    h.click(h.row(0));
    QVERIFY(h.viewer->ucPreview()->bodyInnerText().contains(QStringLiteral("two pictures")));
    QCOMPARE(h.viewer->ucPreview()->pendingImages(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount("/pic.png"), 1, 10000);
    server.release("/pic.png");
    QTRY_COMPARE_WITH_TIMEOUT(h.viewer->ucPreview()->pendingImages(), 0, 10000);
    QTextDocument* document = h.viewer->ucPreview()->document();
    QCOMPARE(document->resource(QTextDocument::ImageResource, QUrl(pic)).value<QImage>().size(), QSize(40, 30));
    // The one past the cap is never decoded (what stands in for it is no picture).
    QVERIFY(document->resource(QTextDocument::ImageResource, QUrl(huge)).value<QImage>().width() <= 1);
  }

  void templatePlaceholders_data() {
    QTest::addColumn<QString>("tpl");
    QTest::addColumn<QString>("media");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all") << "[[title]]|[[link]]|[[app]]|[[date]]|[[time]]" << QString()
                         << "T|http://l|Tidewell|07 Sep 2002|00:00:01";
    QTest::newRow("link before the enclosure") << "[[link]]"
                                               << "http://m.mp3"
                                               << "http://l";
    QTest::newRow("no placeholder") << "<p>plain</p>" << QString() << "<p>plain</p>";
    QTest::newRow("line feeds") << "[[desc]]" << QString() << "a\r\nb";
    QTest::newRow("value holding a later placeholder") << "[[title]]" << QString() << "T";
  }
  void templatePlaceholders() {
    QFETCH(QString, tpl);
    QFETCH(QString, media);
    QFETCH(QString, expected);
    FeedItem item;
    item.title = QTest::currentDataTag() == QByteArray("value holding a later placeholder") ? "[[app]]" : "T";
    // A placeholder inside a value is text: the template is filled in one pass.
    if (item.title == "[[app]]") expected = "[[app]]";
    item.link = "http://l";
    item.media = media;
    item.description = "a\nb";
    item.day = "07";
    item.month = "Sep";
    item.year = "2002";
    item.time = "00:00:01";
    QCOMPARE(PreviewPage::fill(tpl, item, "Tidewell"), expected);
    QCOMPARE(PreviewPage::bodyInnerHtml("<html><body class=\"x\"><p>in</p></BODY></html>"),
             QStringLiteral("<p>in</p>"));
  }
};

QTEST_MAIN(FeedViewerTest)
#include "FeedViewerTest.moc"
