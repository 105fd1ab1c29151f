#include "app/AppContext.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeddb/ui/frmAddFeed.h"
#include "feeddb/ui/frmCategory.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedOptions.h"
#include "feeds/FeedParser.h"
#include "feeds/ItemStore.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

const QByteArray kDatabase =
    "<categories>"
    "<category name=\"News\"><feed name=\"Daily\" type=\"0\" id=\"11111111-2222-3333-4444-555555555555\">"
    "http://127.0.0.1/daily.xml</feed></category>"
    "<category name=\"Tech\"/>"
    "</categories>";

const QByteArray kRss =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Harbour News</title>"
    "<item><title>One</title></item></channel></rss>";
const QByteArray kPodcast =
    "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">"
    "<channel><title>Tide Talk</title><itunes:summary>Talk</itunes:summary></channel></rss>";
const QByteArray kAtomWithoutTitle =
    "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><title>x</title></entry></feed>";
const QByteArray kRss10 =
    "<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
    "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
    "<channel rdf:about=\"http://estuary.example/\"><title>Estuary Wire</title><link>http://estuary.example/</link>"
    "</channel><item rdf:about=\"http://estuary.example/2\"><title>Two</title><link>/2</link>"
    "<dc:date>2026-12-08T07:30:00Z</dc:date></item><item rdf:about=\"http://estuary.example/1\"><title>One</title>"
    "<link>/1</link><dc:date>2026-12-07T07:30:00Z</dc:date></item></rdf:RDF>";
const QByteArray kHtml = "<html><body><p>Not a feed<br></body></html>";

struct Harness : AppFixture {
  Harness() { home.write(QStringLiteral("feeds.fdb"), kDatabase); }
  QByteArray database() const { return home.read(QStringLiteral("feeds.fdb")); }
  std::unique_ptr<frmAddFeed> addFeed(const QString& category = {}) {
    auto dialog = std::make_unique<frmAddFeed>(context, platform, [this] { ++reloads; });
    dialog->categoryName = category;
    dialog->Form_Load();
    return dialog;
  }

  tidewell::test::FakePlatform platform;
  int reloads = 0;
};

}  // namespace

class FeedDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void categoryAddRefusesBlankAndAllowsTwins() {
    Harness h;
    frmCategory dialog(h.context, frmCategory::AddMode, QString(), [&h] { ++h.reloads; });
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Add/Edit Category"));
    QCOMPARE(dialog.btnOK()->text(), QStringLiteral("Add Category"));
    const QByteArray before = h.database();
    dialog.txtCategoryName()->setText(QStringLiteral("   "));
    dialog.btnOK()->click();
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Category Name?")});
    QCOMPARE(h.messages.last().text, QStringLiteral("Please specify Name of Category."));
    QCOMPARE(h.database(), before);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    // Return in the box is the OK button; an existing name makes a second category.
    dialog.show();
    dialog.txtCategoryName()->setText(QStringLiteral("News"));
    QTest::keyClick(dialog.txtCategoryName(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(h.reloads, 1);
    QStringList names;
    mCategories(h.context.paths, h.messages).LoadCategories(names);
    QCOMPARE(names, (QStringList{"News", "Tech", "News"}));
  }

  void categoryEditRenamesWithTheTreeRules() {
    struct Case {
      const char* typed;
      const char* title;  // message expected, "" for none
      bool closes;
      QStringList names;
    };
    const Case cases[] = {
        {"  ", "Category Name?", false, {"News", "Tech"}},
        {"news", "", true, {"News", "Tech"}},  // unchanged (case aside): nothing written
        {"Tech", "Category Exists!", false, {"News", "Tech"}},
        {"World", "", true, {"World", "Tech"}},
    };
    for (const Case& c : cases) {
      Harness h;
      frmCategory dialog(h.context, frmCategory::EditMode, QStringLiteral("News"), [&h] { ++h.reloads; });
      QCOMPARE(dialog.btnOK()->text(), QStringLiteral("Save Details"));
      QCOMPARE(dialog.txtCategoryName()->text(), QStringLiteral("News"));
      dialog.txtCategoryName()->setText(QLatin1String(c.typed));
      dialog.btnOK()->click();
      QCOMPARE(h.messages.empty() ? QString() : h.messages.last().title, QLatin1String(c.title));
      QCOMPARE(dialog.result() == QDialog::Accepted, c.closes);
      QStringList names;
      mCategories(h.context.paths, h.messages).LoadCategories(names);
      QCOMPARE(names, c.names);
      QCOMPARE(h.reloads, QString(c.typed) == "World" ? 1 : 0);
    }
  }

  void addFeedDetectsTypeAndStores_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::newRow("rss") << kRss << 0 << QStringLiteral("Harbour News");
    QTest::newRow("podcast") << kPodcast << 2 << QStringLiteral("Tide Talk");
    QTest::newRow("atom without title keeps the box") << kAtomWithoutTitle << 1 << QStringLiteral("typed by hand");
  }

  void addFeedDetectsTypeAndStores() {
    QFETCH(QByteArray, body);
    QFETCH(int, type);
    QFETCH(QString, title);
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = body});
    auto dialog = h.addFeed(QStringLiteral("Tech"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Add New Feed ..."));
    QCOMPARE(dialog->cmbCategories()->currentText(), QStringLiteral("Tech"));
    QVERIFY(!dialog->fmDetails()->isVisibleTo(dialog.get()));
    dialog->txtChannel()->setText(QStringLiteral("typed by hand"));
    dialog->txtURL()->setText(server.url(QStringLiteral("/feed.xml")).toString());
    dialog->btnOK()->click();
    QVERIFY2(h.messages.empty(), qPrintable(h.messages.titles().join(", ")));
    QCOMPARE(int(dialog->TypeOfFeed()), type);
    QCOMPARE(dialog->stage(), QStringLiteral("ok"));
    QCOMPARE(dialog->btnOK()->text(), QStringLiteral("OK"));
    QVERIFY(!dialog->txtURL()->isEnabled());
    QVERIFY(dialog->btnCancel()->isEnabled());
    QVERIFY(dialog->fmDetails()->isVisibleTo(dialog.get()));
    QCOMPARE(dialog->txtChannel()->text(), title);
    QCOMPARE(server.requests().front().header("cache-control"), QByteArray("no-cache"));

    dialog->btnOK()->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(h.reloads, 1);
    const QByteArray db = h.database();
    QVERIFY(db.contains(QStringLiteral("name=\"%1\" type=\"%2\"").arg(title).arg(type).toUtf8()));
    QVERIFY(db.contains(server.url(QStringLiteral("/feed.xml")).toString().toUtf8()));
  }

  void addFeedFailuresStayInTheFirstStage_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("blank address") << QString() << QStringLiteral("Feed URL?");
    QTest::newRow("7-second server") << QStringLiteral("/slow") << QStringLiteral("Timeout Error!");
    QTest::newRow("html page") << QStringLiteral("/page.html") << QStringLiteral("Invalid Feed Data Format!");
    QTest::newRow("xml but no feed") << QStringLiteral("/error.xml") << QStringLiteral("Feed Type Not Supported!");
  }

  void addFeedFailuresStayInTheFirstStage() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/slow"), {.body = kRss, .delayMs = 7000});
    server.route(QStringLiteral("/page.html"), {.body = kHtml, .contentType = "text/html"});
    server.route(QStringLiteral("/error.xml"), {.body = "<error><code>42</code></error>"});
    auto dialog = h.addFeed();
    const QByteArray before = h.database();
    dialog->txtURL()->setText(path.isEmpty() ? QStringLiteral("  ") : server.url(path).toString());
    dialog->btnOK()->click();
    QCOMPARE(h.messages.titles(), QStringList{title});
    QCOMPARE(dialog->stage(), QStringLiteral("proceed"));
    QCOMPARE(dialog->btnOK()->text(), QStringLiteral("Proceed..."));
    QVERIFY(dialog->txtURL()->isEnabled());
    QVERIFY(dialog->btnCancel()->isEnabled());
    QVERIFY(!dialog->fmDetails()->isVisibleTo(dialog.get()));
    QCOMPARE(h.database(), before);
  }

  // Cancel while the address is validated stops the download, quietly, and
  // leaves the dialog open to edit the address; a second Cancel closes it.
  // The held answer never comes: only the abort ends the wait before the
  // time limit, which would say "Timeout Error!".
  void cancelStopsTheValidation_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("held");
    QTest::newRow("the feed's download") << QStringLiteral("/feed.xml") << QStringLiteral("/feed.xml");
    QTest::newRow("a feed the page offers") << QStringLiteral("/page.html") << QStringLiteral("/alt.xml");
  }

  void cancelStopsTheValidation() {
    QFETCH(QString, path);
    QFETCH(QString, held);
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = kRss, .held = true});
    server.route(QStringLiteral("/alt.xml"), {.body = kRss, .held = true});
    server.route(QStringLiteral("/page.html"),
                 {.body = "<html><head><link rel=\"alternate\" type=\"application/rss+xml\" href=\"/alt.xml\">"
                          "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/feed.xml\"></head></html>",
                  .contentType = "text/html"});
    auto dialog = h.addFeed();
    int asked = 0;
    // The list of the page's feeds is answered with its first entry.
    h.platform.onModal = [&asked](QDialog&) { return ++asked, int(QDialog::Accepted); };
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QByteArray before = h.database();
    dialog->txtURL()->setText(server.url(path).toString());
    bool enabledWhileWaiting = false;
    connect(&server, &TestHttpServer::requestHeld, dialog.get(), [&](const QString& which) {
      if (which != held) return;
      QCOMPARE(dialog->btnOK()->isEnabled(), false);
      enabledWhileWaiting = dialog->btnCancel()->isEnabled();
      dialog->btnCancel()->click();
    });
    dialog->btnOK()->click();
    QVERIFY(enabledWhileWaiting);
    QVERIFY2(h.messages.empty(), qPrintable(h.messages.titles().join(", ")));
    QCOMPARE(asked, 0);
    QCOMPARE(server.hits(QStringLiteral("/feed.xml")), held == QStringLiteral("/feed.xml") ? 1 : 0);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(dialog->stage(), QStringLiteral("proceed"));
    QCOMPARE(dialog->btnOK()->text(), QStringLiteral("Proceed..."));
    QVERIFY(dialog->btnOK()->isEnabled());
    QVERIFY(dialog->txtURL()->isEnabled());
    QVERIFY(!dialog->fmDetails()->isVisibleTo(dialog.get()));
    QCOMPARE(int(dialog->TypeOfFeed()), -1);
    QCOMPARE(h.database(), before);

    // Not validating: Cancel closes the dialog, and nothing was stored.
    dialog->btnCancel()->click();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(h.database(), before);
  }

  void typedCategoryIsCreatedAndTwoAddsMakeTwoFeeds() {
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = kRss});
    for (int round = 0; round < 2; ++round) {
      auto dialog = h.addFeed();
      QCOMPARE(dialog->cmbCategories()->currentIndex(), -1);
      dialog->txtURL()->setText(server.url(QStringLiteral("/feed.xml")).toString());
      dialog->btnOK()->click();
      dialog->cmbCategories()->setEditText(QStringLiteral("Harbour.Local"));
      dialog->btnOK()->click();
      QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }
    QStringList names;
    mCategories(h.context.paths, h.messages).LoadCategories(names);
    QCOMPARE(names, (QStringList{"News", "Tech", "Harbour.Local"}));
    QCOMPARE(h.database().count("Harbour News"), 2);
    QVERIFY(h.messages.empty());
  }

  void blankCategoryIsRefused() {
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/feed.xml"), {.body = kRss});
    auto dialog = h.addFeed();
    dialog->txtURL()->setText(server.url(QStringLiteral("/feed.xml")).toString());
    dialog->btnOK()->click();
    const QByteArray before = h.database();
    dialog->btnOK()->click();
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Failed to Create Category!")});
    QCOMPARE(h.database(), before);
    QVERIFY(dialog->result() != QDialog::Accepted);
  }

  void editModeKeepsTheCategoryAndRewritesInPlace() {
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/daily.xml"), {.body = kRss});
    frmAddFeed dialog(h.context, h.platform, [&h] { ++h.reloads; });
    dialog.EditMode = 1;
    dialog.FeedID = QStringLiteral("11111111-2222-3333-4444-555555555555");
    dialog.categoryName = QStringLiteral("News");
    dialog.txtChannel()->setText(QStringLiteral("Daily"));
    dialog.txtURL()->setText(server.url(QStringLiteral("/daily.xml")).toString());
    dialog.Form_Load();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Feed Details ..."));
    QVERIFY(!dialog.cmbCategories()->isEnabled());
    QCOMPARE(dialog.cmbCategories()->currentText(), QStringLiteral("News"));
    dialog.btnOK()->click();
    // The name the user gave the feed stays; the channel's title does not undo it.
    QCOMPARE(dialog.txtChannel()->text(), QStringLiteral("Daily"));
    dialog.btnOK()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const std::optional<FeedRecord> feed =
        mFeeds(h.context.paths, h.messages).FindFeed(QStringLiteral("11111111-2222-3333-4444-555555555555"));
    QVERIFY(feed.has_value());
    QCOMPARE(feed->name, QStringLiteral("Daily"));
    QCOMPARE(feed->category, QStringLiteral("News"));
    QCOMPARE(feed->url, server.url(QStringLiteral("/daily.xml")).toString());
  }

  // An RSS 1.0 feed is subscribed as RSS, its items then read like any
  // other's; the feed's own retention and pictures choices go into its item
  // store.
  void rss10FeedIsAcceptedAndChecksNormally() {
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/rdf.xml"), {.body = kRss10});
    auto dialog = h.addFeed(QStringLiteral("News"));
    QVERIFY(dialog->chkKeepDefault()->isChecked());
    QVERIFY(!dialog->spnKeepItems()->isEnabled());
    const QString url = server.url(QStringLiteral("/rdf.xml")).toString();
    dialog->txtURL()->setText(url);
    dialog->btnOK()->click();
    QCOMPARE(h.messages.titles(), QStringList());
    QCOMPARE(dialog->stage(), QStringLiteral("ok"));
    QCOMPARE(dialog->TypeOfFeed(), qint16(0));
    QCOMPARE(dialog->txtChannel()->text(), QStringLiteral("Estuary Wire"));
    dialog->chkKeepDefault()->setChecked(false);
    QVERIFY(dialog->spnKeepItems()->isEnabled());
    dialog->spnKeepItems()->setValue(100);
    dialog->chkKeepUnread()->setChecked(true);
    QCOMPARE(dialog->cmbPictures()->currentIndex(), 0);  // as set for all feeds
    dialog->cmbPictures()->setCurrentIndex(2);           // do not load
    dialog->btnOK()->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    const QByteArray db = h.database();
    const QByteArray stored = "name=\"Estuary Wire\" type=\"0\" id=\"";
    const qsizetype at = db.indexOf(stored);
    QVERIFY2(at >= 0, db.constData());
    const QString id = QString::fromUtf8(db.mid(at + stored.size(), 36));
    QCOMPARE(ItemStore(h.context.paths.itemStore(id)).ReadRetention(), (RetentionPolicy{100, 0, true}));
    QCOMPARE(FeedOptions(h.context.paths.itemStore(id)).remotePictures(), std::optional<bool>(false));

    const ParseResult parsed = ParseFeedItems(0, kRss10, {}, QUrl(url));
    QCOMPARE(parsed.count(), 2);
    QCOMPARE(parsed.items[1].link, QStringLiteral("http://127.0.0.1:%1/1").arg(server.url(QString()).port()));
    QCOMPARE(DateKey(parsed.items[1]), QStringLiteral("20261207073000"));

    // Editing shows the choice and can hand the feed back to the default.
    frmAddFeed edit(h.context, h.platform, [&h] { ++h.reloads; });
    edit.EditMode = 1;
    edit.FeedID = id;
    edit.categoryName = QStringLiteral("News");
    edit.txtURL()->setText(url);
    edit.Form_Load();
    QVERIFY(!edit.chkKeepDefault()->isChecked());
    QCOMPARE(edit.spnKeepItems()->value(), 100);
    QCOMPARE(edit.cmbPictures()->currentIndex(), 2);
    edit.btnOK()->click();
    edit.chkKeepDefault()->setChecked(true);
    edit.cmbPictures()->setCurrentIndex(0);
    edit.btnOK()->click();
    QCOMPARE(edit.result(), int(QDialog::Accepted));
    QVERIFY(!ItemStore(h.context.paths.itemStore(id)).ReadRetention().has_value());
    QVERIFY(!FeedOptions(h.context.paths.itemStore(id)).remotePictures().has_value());
  }

  void offlineCancelledLeavesTheDialogAsItWas() {
    Harness h;
    auto dialog = h.addFeed();
    h.platform.connected = false;
    h.messages.answerRetryCancel(false);
    dialog->txtURL()->setText(QStringLiteral("http://127.0.0.1:9/feed.xml"));
    dialog->btnOK()->click();
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Failed to access Internet!")});
    QCOMPARE(dialog->stage(), QStringLiteral("proceed"));
  }
};

QTEST_MAIN(FeedDialogsTest)
#include "FeedDialogsTest.moc"
