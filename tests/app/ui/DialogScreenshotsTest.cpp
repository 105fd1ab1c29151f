#include "app/AppContext.h"
#include "app/ui/frmConfirmClose.h"
#include "app/ui/frmMain.h"
#include "email/ui/frmSendEmail.h"
#include "feeddb/ui/frmAddFeed.h"
#include "feeddb/ui/frmCategory.h"
#include "feeds/FeedIconFetch.h"
#include "feeds/ui/frmViewFeed.h"
#include "l10n/ui/frmLanguage.h"
#include "scheduler/ui/DesktopNotifier.h"
#include "scheduler/ui/frmNotification.h"
#include "scheduler/ui/frmScheduler.h"
#include "settings/ui/frmAppSettings.h"
#include "settings/ui/frmEmailSettings.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::FakePlatform;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

const QByteArray kDatabase =
    "<categories>"
    "<category name=\"Harbour\"><feed name=\"Coastal Gazette\" type=\"0\" id=\"11111111-2222-3333-4444-555555555555\">"
    "http://127.0.0.1/gazette.xml</feed>"
    "<feed name=\"Tide Talk\" type=\"2\" id=\"BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF\">http://127.0.0.1/talk.xml</feed>"
    "</category>"
    "<category name=\"Tech\"><feed name=\"Gadget Weekly\" type=\"1\" id=\"66666666-7777-8888-9999-AAAAAAAAAAAA\">"
    "http://127.0.0.1/gadgets.xml</feed>"
    "<feed name=\"Open Source Digest\" type=\"0\" id=\"22222222-7777-8888-9999-AAAAAAAAAAAA\">"
    "http://127.0.0.1/digest.xml</feed></category>"
    "</categories>";

// A site's icon as sites draw theirs: a letter on a coloured rounded square.
QByteArray siteIcon(const QColor& color, const QString& letter, const char* format) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(color);
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(22);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(image.rect(), Qt::AlignCenter, letter);
  painter.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

}  // namespace

// Renders every dialog and the pop-up into PNGs for the README. Runs only
// when TIDEWELL_SCREENSHOT_DIR names the folder to write to.
class DialogScreenshotsTest : public QObject {
  Q_OBJECT

  QString dir_;

  void save(QWidget* window, const QString& name) {
    window->show();
    QTest::qWait(50);
    QVERIFY(window->grab().save(dir_ + QLatin1Char('/') + name));
  }

 private slots:
  void initTestCase() {
    dir_ = qEnvironmentVariable("TIDEWELL_SCREENSHOT_DIR");
    if (dir_.isEmpty()) QSKIP("TIDEWELL_SCREENSHOT_DIR not set");
    QApplication::setStyle(QStringLiteral("Fusion"));
  }

  void dialogs() {
    AppFixture fixture;
    TempHome& home = fixture.home;
    AppContext& context = fixture.context;
    FakePlatform platform;
    context.settings.setAutostartFolder(home.file("autostart"));
    home.write("feeds.fdb", kDatabase);

    frmCategory category(context, frmCategory::AddMode, QString(), {});
    category.txtCategoryName()->setText("Local News");
    save(&category, "dialog-category.png");

    TestHttpServer server;
    server.route("/feed.xml", {.body = "<rss version=\"2.0\"><channel><title>Harbour Master's Log</title>"
                                       "</channel></rss>"});
    frmAddFeed addFeed(context, platform, {});
    addFeed.categoryName = "Harbour";
    addFeed.Form_Load();
    addFeed.txtURL()->setText(server.url("/feed.xml").toString());
    addFeed.btnOK()->click();
    save(&addFeed, "dialog-add-feed.png");

    context.settings.schedulerEnabled = 1;
    context.settings.interval = 2;
    context.settings.notify = 1;
    context.settings.playSound = 1;
    context.settings.scheduleList = {
        ScheduleEntry{{}, "http://127.0.0.1/gazette.xml", 0, "11111111-2222-3333-4444-555555555555", "Coastal Gazette"},
        ScheduleEntry{{}, "http://127.0.0.1/gadgets.xml", 1, "66666666-7777-8888-9999-AAAAAAAAAAAA", "Gadget Weekly"}};
    QVERIFY(context.settings.SaveSchedulerSettings(false).ok());
    frmScheduler scheduler(context);
    save(&scheduler, "dialog-scheduler.png");

    frmEmailSettings email(context);
    email.txtSMTP()->setText("smtp.example.org");
    email.txtPort()->setText("587");
    email.chkAuth()->setChecked(true);
    email.txtUsername()->setText("reader");
    email.txtPassword()->setText("secret");
    email.txtFromName()->setText("Harbour Reader");
    email.txtFromEmail()->setText("reader@example.org");
    save(&email, "dialog-email-settings.png");

    frmAppSettings app(context);
    save(&app, "dialog-app-settings.png");

    frmLanguage language(context, platform, {});
    save(&language, "dialog-language.png");

    frmConfirmClose confirm(context);
    save(&confirm, "dialog-confirm-close.png");

    NewItemsNotification n;
    n.lines = QStringList{"Coastal Gazette -- 3 New Items", "Gadget Weekly -- 1 New Items", "Tide Talk -- 2 New Items"};
    n.transparencyPercentage = 10;
    frmNotification* popup = DesktopNotifier::create(context.languages, platform, n);
    popup->workAreaOverride = QRect(0, 0, 1280, 760);
    popup->show();
    QVERIFY(QTest::qWaitFor([popup] { return !popup->tmrAnimate().isActive(); }, 5000));
    QVERIFY(popup->grab().save(dir_ + "/notification.png"));
    delete popup;

    // The same dialog in German.
    context.currentLanguage = "Deutsch";
    frmScheduler german(context);
    save(&german, "dialog-scheduler-de.png");
  }

  // The main window with a feed open and the dialogs, in German.
  void germanWindows() {
    TempHome home;
    ScriptedMessages messages;
    AppContext context(home.paths(), home.userStore(), messages);
    context.settings.setAutostartFolder(home.file("autostart"));
    context.userStore.setUserValue("Settings", "Language", "Deutsch");
    context.userStore.setUserValue("Settings", "showHelp", "0");
    TestHttpServer server;
    server.route("/gazette.xml",
                 {.body = "<rss version=\"2.0\"><channel><title>Coastal Gazette</title>"
                          "<item><title>Sturmwarnung für die Küste</title><link>http://127.0.0.1/1</link>"
                          "<pubDate>Tue, 10 Sep 2002 09:00:00 GMT</pubDate><description>&lt;p&gt;Der Wetterdienst "
                          "erwartet Windstärke 9.&lt;/p&gt;</description></item>"
                          "<item><title>Neuer Fähranleger eröffnet</title><link>http://127.0.0.1/2</link>"
                          "<pubDate>Mon, 09 Sep 2002 07:30:00 GMT</pubDate><description>&lt;p&gt;Ab Montag legen "
                          "die Fähren am Nordkai an.&lt;/p&gt;</description></item>"
                          "<item><title>Hafenfest am Wochenende</title><link>http://127.0.0.1/3</link>"
                          "<pubDate>Sat, 07 Sep 2002 18:00:00 GMT</pubDate><description>&lt;p&gt;Musik, Boote und "
                          "Fischbrötchen.&lt;/p&gt;</description></item></channel></rss>"});
    QByteArray database = kDatabase;
    database.replace("http://127.0.0.1/gazette.xml", server.url("/gazette.xml").toEncoded());
    home.write("feeds.fdb", database);

    FakePlatform platform;
    frmMain main(context, platform);
    main.Form_Load();
    main.resize(1100, 680);
    main.show();
    main.OpenFeedWindow("Coastal Gazette", "11111111-2222-3333-4444-555555555555",
                        server.url("/gazette.xml").toString(), 0, true);
    frmViewFeed* viewer = main.viewers().first();
    QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("Coastal Gazette [neu]"), 10000);
    viewer->lstItems()->setCurrentItem(viewer->lstItems()->topLevelItem(0));
    viewer->ShowItemPreview();
    save(&main, "main-window-de.png");

    frmCategory category(context, frmCategory::AddMode, QString(), {});
    category.txtCategoryName()->setText("Lokales");
    save(&category, "dialog-category-de.png");
    frmAddFeed addFeed(context, platform, {});
    addFeed.Form_Load();
    save(&addFeed, "dialog-add-feed-de.png");
    frmEmailSettings email(context);
    save(&email, "dialog-email-settings-de.png");
    frmAppSettings app(context);
    save(&app, "dialog-app-settings-de.png");
    frmConfirmClose confirm(context);
    save(&confirm, "dialog-confirm-close-de.png");
    frmLanguage language(context, platform, {});
    save(&language, "dialog-language-de.png");
    frmSendEmail send(
        context, platform,
        EmailItem{"Coastal Gazette", "Sturmwarnung für die Küste", "<p>Windstärke 9.</p>", "http://127.0.0.1/1"});
    save(&send, "dialog-send-email-de.png");
  }

  // The tree with the sites' icons, each found where its site keeps it: the
  // feed's picture, the home page's link, /favicon.ico; a feed without one
  // keeps its type's picture.
  void treeWithSiteIcons() {
    AppFixture fixture;
    TempHome& home = fixture.home;
    AppContext& context = fixture.context;
    context.settings.setAutostartFolder(home.file("autostart"));
    TestHttpServer server;
    const auto rss = [](const QByteArray& extra) {
      return "<rss version=\"2.0\"><channel><title>t</title>" + extra + "</channel></rss>";
    };
    server.route("/gazette/feed.xml", {.body = rss("<image><url>/gazette/logo.png</url></image>")});
    server.route("/gazette/logo.png", {.body = siteIcon(QColor(0x1f, 0x5f, 0x8b), "G", "png")});
    server.route("/talk/feed.xml", {.body = rss("")});  // a site without any icon
    server.route("/gadgets/feed.xml", {.body = rss("<link>" + server.url("/gadgets/").toEncoded() + "</link>")});
    server.route("/gadgets/", {.body = "<html><head><link rel=\"icon\" href=\"/gadgets/g.ico\"></head></html>",
                               .contentType = "text/html"});
    server.route("/gadgets/g.ico", {.body = siteIcon(QColor(0xc0, 0x39, 0x2b), "W", "ico")});
    server.route("/digest/feed.xml", {.body = rss("")});
    server.route("/favicon.ico", {.body = siteIcon(QColor(0x27, 0xae, 0x60), "D", "ico")});
    QByteArray database = kDatabase;
    for (const char* name : {"gazette", "talk", "gadgets", "digest"}) {
      const QString site = QString::fromLatin1(name);
      database.replace("http://127.0.0.1/" + site.toUtf8() + ".xml", server.url("/" + site + "/feed.xml").toEncoded());
    }
    home.write("feeds.fdb", database);
    QNetworkAccessManager manager;
    const QList<QPair<QString, QString>> withIcons{{"11111111-2222-3333-4444-555555555555", "/gazette/feed.xml"},
                                                   {"66666666-7777-8888-9999-AAAAAAAAAAAA", "/gadgets/feed.xml"},
                                                   {"22222222-7777-8888-9999-AAAAAAAAAAAA", "/digest/feed.xml"}};
    for (const auto& [feedId, path] : withIcons) {
      FeedIconFetch fetch(&manager);
      QSignalSpy ended(&fetch, &FeedIconFetch::finished);
      QVERIFY(fetch.start({server.url(path).toString(), context.paths.feedIcon(feedId), 5000}));
      QVERIFY(ended.wait(20000));
      const FeedIconResult result = ended.first().first().value<FeedIconResult>();
      QVERIFY2(result.found, qPrintable(result.reason));
    }

    FakePlatform platform;
    frmMain main(context, platform);
    main.Form_Load();
    main.resize(760, 420);
    save(&main, "tree-site-icons.png");
  }
};

QTEST_MAIN(DialogScreenshotsTest)
#include "DialogScreenshotsTest.moc"
