#include "app/AppContext.h"
#include "feeds/FeedOptions.h"
#include "feeds/HtmlSanitizer.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/PreviewBrowser.h"
#include "feeds/ui/ViewerHost.h"
#include "feeds/ui/frmViewFeed.h"
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
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

// Feeds written to hurt the reader: each item shows at once, reads no local
// file, fetches nothing but its pictures and keeps its markup where it belongs.
namespace {

const QString kFeedId = QStringLiteral("5D4C3B2A-1F0E-4D9C-8B7A-695847362514");

struct Item {
  QString title;
  QString link;
  QString description;
};

QByteArray rss(const QList<Item>& items) {
  QString body = QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Hostile</title>");
  int day = 10;
  for (const Item& item : items) {
    body += QStringLiteral("<item><title>") + item.title.toHtmlEscaped() + QStringLiteral("</title><link>") +
            item.link.toHtmlEscaped() + QStringLiteral("</link><pubDate>Tue, ") + QString::number(day--) +
            QStringLiteral(" Sep 2002 09:00:00 GMT</pubDate><description>") + item.description.toHtmlEscaped() +
            QStringLiteral("</description></item>");
  }
  return (body + QStringLiteral("</channel></rss>")).toUtf8();
}

QByteArray png(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(Qt::darkCyan);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  return bytes;
}

using FakeHost = tidewell::test::FakeViewerHost;

// One viewer on a feed served by a local server; open(i) shows row i.
struct Viewer {
  explicit Viewer(const QList<Item>& items) : context(home.paths(), home.userStore(), messages) {
    server.route(QStringLiteral("/feed.xml"), {.body = rss(items)});
    context.languages.loadLanguage(QStringLiteral("English"));
    QDir().mkpath(context.paths.dataFolder());
    viewer = std::make_unique<frmViewFeed>(context, platform, host,
                                           FeedRecord{.url = server.url(QStringLiteral("/feed.xml")).toString(),
                                                      .id = kFeedId,
                                                      .name = QStringLiteral("Hostile")});
    viewer->setCheckForNewItems(true);
    viewer->resize(900, 700);
    viewer->show();
    viewer->tmrDelay().stop();
    QVERIFY(test::loadFeedAndWait(*viewer, true));
  }
  // Shows the item with this title, and paints it once, so every picture
  // of the page has been asked for.
  void open(const QString& title) {
    QTreeWidget* list = viewer->lstItems();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      if (list->topLevelItem(i)->text(frmViewFeed::ColTitle) != title) continue;
      list->setCurrentItem(list->topLevelItem(i));
      emit list->itemClicked(list->topLevelItem(i), 0);
      (void)preview()->grab();
      return;
    }
    QFAIL("no such row");
  }
  PreviewBrowser* preview() const { return viewer->ucPreview(); }
  QVariant resource(const QUrl& url) const {
    return preview()->document()->resource(QTextDocument::ImageResource, url);
  }
  int pictureRequests() const {
    return static_cast<int>(server.requests().size()) - server.hits(QStringLiteral("/feed.xml"));
  }

  TestHttpServer server;
  TempHome home;
  ScriptedMessages messages;
  AppContext context;
  tidewell::test::FakePlatform platform;
  FakeHost host;
  std::unique_ptr<frmViewFeed> viewer;
};

QString repeated(const QString& piece, int times) {
  QString out;
  out.reserve(piece.size() * times);
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

bool isRealPicture(const QVariant& resource) {
  QImage image = resource.value<QImage>();
  if (image.isNull() && resource.userType() == QMetaType::QByteArray) image.loadFromData(resource.toByteArray());
  return !image.isNull() && image.width() > 1;
}

}  // namespace

class HostileContentTest : public QObject {
  Q_OBJECT

 private slots:
  // A picture that names a local file is never read, whether the feed's
  // HTML or a page given to the preview names it.
  void localPicturesAreNeverRead() {
    QTemporaryDir local;
    const QString picture = local.filePath(QStringLiteral("private.png"));
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(png(40, 30));
    file.close();
    const QString fileUrl = QUrl::fromLocalFile(picture).toString();
    // The item's own address is a local port where nothing listens: a bare
    // path is an address on the item's server, as in a browser.
    Viewer v({{QStringLiteral("Local"), TestHttpServer::refusingUrl(QStringLiteral("/local")).toString(),
               QStringLiteral("<p>local</p><img src=\"") + fileUrl + QStringLiteral("\" alt=\"a\"><img src=\"") +
                   picture + QStringLiteral("\">")}});
    v.open(QStringLiteral("Local"));
    QVERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("local")));
    QVERIFY(!v.preview()->pageSource().contains(fileUrl));
    QVERIFY(!v.preview()->pageSource().contains(QStringLiteral("src=\"") + picture));

    // The preview's own defence, for a page that still names local files.
    const QString page = local.filePath(QStringLiteral("page.html"));
    QFile pageFile(page);
    QVERIFY(pageFile.open(QIODevice::WriteOnly));
    pageFile.write((QStringLiteral("<html><body><img src=\"") + fileUrl + QStringLiteral("\"><img src=\"") + picture +
                    QStringLiteral("\"><img src=\"private.png\"><table background=\"") + fileUrl +
                    QStringLiteral("\"><tr><td>x</td></tr></table></body></html>"))
                       .toUtf8());
    pageFile.close();
    v.preview()->setLinkBase(QUrl());
    QVERIFY(v.preview()->Navigate2(page));
    (void)v.preview()->grab();
    QVERIFY(!isRealPicture(v.resource(QUrl(fileUrl))));
    QVERIFY(!isRealPicture(v.resource(QUrl(picture))));
    QVERIFY(!isRealPicture(v.resource(QUrl(QStringLiteral("private.png")))));
    QVERIFY(!isRealPicture(v.resource(QUrl::fromLocalFile(local.filePath(QStringLiteral("private.png"))))));
    QCOMPARE(v.pictureRequests(), 0);
  }

  // Nesting that took Qt's style matching seconds to hours is flattened
  // before the page is built; the text inside stays readable.
  void deepNestingShowsItsText() {
    Viewer v({{QStringLiteral("Tables"), QStringLiteral("http://example.invalid/t"),
               repeated(QStringLiteral("<table><tr><td>"), 22) + QStringLiteral("table core") +
                   repeated(QStringLiteral("</td></tr></table>"), 22)},
              {QStringLiteral("Divs"), QStringLiteral("http://example.invalid/d"),
               repeated(QStringLiteral("<div>"), 10000) + QStringLiteral("div core") +
                   repeated(QStringLiteral("</div>"), 10000)},
              {QStringLiteral("Bold"), QStringLiteral("http://example.invalid/b"),
               QStringLiteral("bold start") + repeated(QStringLiteral("<b>"), 100000)}});
    v.open(QStringLiteral("Tables"));
    QVERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("table core")));
    QVERIFY(v.preview()->pageSource().count(QStringLiteral("<table")) <= SanitizerLimits().maxTableNesting);
    v.open(QStringLiteral("Divs"));
    QVERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("div core")));
    v.open(QStringLiteral("Bold"));
    QVERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("bold start")));
    QVERIFY(v.preview()->pageSource().count(QStringLiteral("<b>")) <= SanitizerLimits().maxDepth);
  }

  // Placeholders inside an item's fields stay text, and so does its title.
  void fieldsAreTextNotTemplate() {
    const QString amplifier = repeated(QStringLiteral("[[link]]"), 1000);
    const QString link = QStringLiteral("http://example.invalid/a?") + repeated(QStringLiteral("[[desc]]"), 1000);
    Viewer v({{amplifier, link, repeated(QStringLiteral("x"), 1024)},
              {QStringLiteral("<b>BOLD</b></title><body><h1>FAKE</h1>"), QStringLiteral("http://example.invalid/f"),
               QStringLiteral("<p>real body</p>")}});
    v.open(amplifier);
    QVERIFY2(v.preview()->pageSource().size() < 200'000, qPrintable(QString::number(v.preview()->pageSource().size())));
    QVERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("[[link]][[link]]")));
    v.open(QStringLiteral("<b>BOLD</b></title><body><h1>FAKE</h1>"));
    QVERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("<b>BOLD</b></title><body><h1>FAKE</h1>")));
    QVERIFY(!v.preview()->pageSource().contains(QStringLiteral("<h1>FAKE")));
    QVERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("real body")));
  }

  // A description past the page's bounds is cut where the preview shows a
  // note; the store keeps the whole text.
  void longDescriptionIsCutWithANote() {
    const QString huge = repeated(QStringLiteral("<i>a</i>"), 300'000);
    Viewer v({{QStringLiteral("Long"), QStringLiteral("http://example.invalid/l"), huge}});
    v.open(QStringLiteral("Long"));
    const QString note = v.context.languages.getMessages(QStringLiteral("MSG_SEC_CUT"));
    QVERIFY(!note.isEmpty());
    QVERIFY(v.preview()->bodyInnerText().contains(note));
    QVERIFY(v.preview()->pageSource().size() < 2 * huge.size() / 10);
    ScriptedMessages quiet;
    QCOMPARE(ItemStore(v.context.paths.itemStore(kFeedId)).LoadStoredItems(quiet)->items.front().description, huge);
  }

  // Pictures are decoded at the page's width within a budget; past it their
  // alternative text shows in their place.
  void picturesStayWithinTheBudget() {
    const QString tall = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png(600, 12000).toBase64());
    Viewer v({{QStringLiteral("Pictures"), QStringLiteral("http://example.invalid/p"),
               QStringLiteral("<p>pictures</p><img src=\"") + tall + QStringLiteral("\" alt=\"first\"><img src=\"") +
                   tall + QStringLiteral("#2\" alt=\"second\"><img src=\"data:image/png;base64,") +
                   QString::fromLatin1(png(4000, 300).toBase64()) + QStringLiteral("\" alt=\"wide\">")}});
    v.open(QStringLiteral("Pictures"));
    QTRY_VERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("[second]")));
    QVERIFY(!v.preview()->bodyInnerText().contains(QStringLiteral("[first]")));
    QVERIFY(v.preview()->picturePixels() <= PreviewBrowser::kPagePixelBudget);
    // The wide one was decoded at the width it is shown at.
    QTextDocument* document = v.preview()->document();
    bool wideScaled = false;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (!it.fragment().charFormat().isImageFormat()) continue;
        const QString name = it.fragment().charFormat().toImageFormat().name();
        const QImage image = v.resource(QUrl(name)).value<QImage>();
        if (image.height() < 300 && image.width() > 1) wideScaled = image.width() < PreviewBrowser::kReadingWidth;
      }
    }
    QVERIFY(wideScaled);
  }

  // Remote pictures come from <img> only, and their senders learn no more
  // than that Tidewell asked.
  void remotePicturesCarryNothingAboutTheReader() {
    TestHttpServer pictures;
    pictures.route(QStringLiteral("/pic.png"), {.body = png(20, 20), .contentType = "image/png"});
    pictures.route(QStringLiteral("*"), {.body = png(20, 20), .contentType = "image/png"});
    const QString base = pictures.url(QStringLiteral("/")).toString();
    Viewer v(
        {{QStringLiteral("Tracked"), QStringLiteral("http://example.invalid/t"),
          QStringLiteral("<p>tracked</p><img src=\"") + base + QStringLiteral("pic.png\">") +
              QStringLiteral("<table background=\"") + base + QStringLiteral("bg.png\"><tr><td>t</td></tr></table>") +
              QStringLiteral("<div style=\"background-image:url(") + base + QStringLiteral("css.png)\">d</div>") +
              QStringLiteral("<style>p{background:url(") + base + QStringLiteral("style.png)}</style>")}});
    v.platform.manager.cookieJar()->setCookiesFromUrl({QNetworkCookie("session", "secret")},
                                                      pictures.url(QStringLiteral("/")));
    v.open(QStringLiteral("Tracked"));
    QTRY_COMPARE(v.preview()->pendingImages(), 0);
    QCOMPARE(pictures.hits(QStringLiteral("/pic.png")), 1);
    QCOMPARE(static_cast<int>(pictures.requests().size()), 1);
    const TestHttpServer::Request& request = pictures.requests().front();
    QVERIFY(request.header("user-agent").startsWith("Tidewell/"));
    QVERIFY(request.header("cookie").isEmpty());
    QVERIFY(request.header("referer").isEmpty());
  }

  // With "Load remote pictures" off, opening an item asks no server for
  // anything; the setting is kept with the application's.
  void remotePicturesOffMakeNoRequest() {
    TestHttpServer pictures;
    pictures.route(QStringLiteral("*"), {.body = png(20, 20), .contentType = "image/png"});
    Viewer v({{QStringLiteral("Quiet"), QStringLiteral("http://example.invalid/q"),
               QStringLiteral("<p>quiet</p><img alt=\"harbour\" src=\"") +
                   pictures.url(QStringLiteral("/pic.png")).toString() + QStringLiteral("\">")}});
    QCOMPARE(v.context.settings.remotePictures, qint16(1));  // on unless the user turns it off
    v.context.settings.remotePictures = 0;
    QVERIFY(v.context.settings.SaveAppSettings(false).ok());
    v.context.settings.remotePictures = 1;
    v.context.settings.LoadAppSettings();
    QCOMPARE(v.context.settings.remotePictures, qint16(0));

    v.open(QStringLiteral("Quiet"));
    QTRY_VERIFY(v.preview()->bodyInnerText().contains(QStringLiteral("[harbour]")));
    QCOMPARE(v.preview()->pendingImages(), 0);
    QCOMPARE(static_cast<int>(pictures.requests().size()), 0);
  }

  // A feed's own choice in the feed dialog wins over the setting, either
  // way; without one the setting holds.
  void aFeedsOwnPicturesChoiceWinsOverTheSetting() {
    struct Case {
      const char* title;
      qint16 setting;
      std::optional<bool> own;
      bool loads;
    };
    const QList<Case> cases{{"own off", 1, false, false}, {"own on", 0, true, true}, {"default", 1, {}, true}};
    TestHttpServer pictures;
    pictures.route(QStringLiteral("*"), {.body = png(20, 20), .contentType = "image/png"});
    QList<Item> items;
    for (const Case& c : cases) {
      items.append({QString::fromLatin1(c.title), QStringLiteral("http://example.invalid/") + c.title,
                    QStringLiteral("<p>x</p><img alt=\"harbour\" src=\"") +
                        pictures.url(QStringLiteral("/") + QString::fromLatin1(c.title).replace(' ', '_')).toString() +
                        QStringLiteral("\">")});
    }
    Viewer v(items);
    for (const Case& c : cases) {
      const QString title = QString::fromLatin1(c.title);
      v.context.settings.remotePictures = c.setting;
      QVERIFY(FeedOptions(v.viewer->itemStorePath()).setRemotePictures(c.own));
      v.viewer->reloadOptions();
      const int before = static_cast<int>(pictures.requests().size());
      v.open(title);
      if (c.loads) {
        QTRY_VERIFY2(static_cast<int>(pictures.requests().size()) == before + 1, c.title);
      } else {
        QTRY_VERIFY2(v.preview()->bodyInnerText().contains(QStringLiteral("[harbour]")), c.title);
        QCOMPARE(v.preview()->pendingImages(), 0);
        QCOMPARE(static_cast<int>(pictures.requests().size()), before);
      }
    }
  }

  // "View Online" hands the system web and mail addresses only, and mail
  // addresses without what a mail program would act on.
  void viewOnlineOpensOnlyWebAndMail() {
    Viewer v({{QStringLiteral("passwd"), QStringLiteral("file:///etc/passwd"), QStringLiteral("p")},
              {QStringLiteral("path"), QStringLiteral("/etc/hostname"), QStringLiteral("p")},
              {QStringLiteral("script"), QStringLiteral("javascript:alert(document.cookie)"), QStringLiteral("p")},
              {QStringLiteral("mail"), QStringLiteral("mailto:editor@example.invalid?attach=/etc/passwd&body=x"),
               QStringLiteral("p")},
              {QStringLiteral("web"), QStringLiteral("https://example.invalid/story"), QStringLiteral("p")}});
    for (const char* title : {"passwd", "path", "script", "mail", "web"}) {
      v.open(QString::fromLatin1(title));
      v.viewer->HandlePopupMenu(QStringLiteral("online"));
    }
    // A bare path is a relative link: it was resolved against the feed's own
    // address when the feed was read, so it is a web address by now.
    QCOMPARE(v.platform.opened.size(), 3);
    QVERIFY(v.platform.opened[0].startsWith(QStringLiteral("http://127.0.0.1:")));
    QVERIFY(v.platform.opened[0].endsWith(QStringLiteral("/etc/hostname")));
    QCOMPARE(v.platform.opened.mid(1), (QStringList{QStringLiteral("mailto:editor@example.invalid"),
                                                    QStringLiteral("https://example.invalid/story")}));
    // The preview's own links follow the same rule.
    v.platform.opened.clear();
    emit v.preview()->anchorClicked(QUrl(QStringLiteral("mailto:editor@example.invalid?attach=/etc/passwd")));
    emit v.preview()->anchorClicked(QUrl(QStringLiteral("javascript:alert(1)")));
    QCOMPARE(v.platform.opened, QStringList{QStringLiteral("mailto:editor@example.invalid")});
  }
};

QTEST_MAIN(HostileContentTest)
#include "HostileContentTest.moc"
