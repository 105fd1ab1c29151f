#include "app/AppContext.h"
#include "app/ui/MainMenus.h"
#include "app/ui/OpmlTransfer.h"
#include "app/ui/frmMain.h"
#include "feeddb/OpmlDocument.h"
#include "feeddb/mFeeds.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QProgressDialog>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace tidewell;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

QByteArray rss(const QByteArray& title) {
  return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>" + title +
         "</title><item><title>One</title><link>http://127.0.0.1/1</link></item></channel></rss>";
}

struct Harness {
  Harness() : context(home.paths(), home.userStore(), messages) {
    context.userStore.setUserValue("Settings", "Language", "English");
    context.userStore.setUserValue("Settings", "showHelp", "0");
    context.settings.SetConfirmClose(false);
    window = std::make_unique<frmMain>(context, platform);
    window->Form_Load();
  }
  QString list(const QByteArray& outlines) {
    return home.write("list.opml", "<?xml version=\"1.0\"?><opml version=\"2.0\"><head><title>L</title></head><body>" +
                                       outlines + "</body></opml>");
  }
  int feedsIn(const QString& category) {
    OpmlOutline outline = OpmlDocument::FromFeedsDb(context.paths.feedsDb(), messages).value();
    for (const OpmlCategory& c : outline.categories)
      if (c.name == category) return static_cast<int>(c.feeds.size());
    return -1;
  }

  TempHome home;
  ScriptedMessages messages;
  AppContext context;
  tidewell::test::FakePlatform platform;
  std::unique_ptr<frmMain> window;
};

}  // namespace

class OpmlWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void importFromTheFileMenuSummarisesWhatHappened() {
    TestHttpServer server;
    server.route("/a.xml", {.body = rss("Alpha")});
    server.route("/b.xml", {.body = rss("Beta")});
    server.route("/page", {.body = "<html><body>not a feed</body></html>", .contentType = "text/html"});
    Harness h;
    const QByteArray a = server.url("/a.xml").toString().toUtf8();
    const QByteArray b = server.url("/b.xml").toString().toUtf8();
    const QByteArray page = server.url("/page").toString().toUtf8();
    const QString path = h.list("<outline text=\"Tide\"><outline text=\"A\" xmlUrl=\"" + a +
                                "\"/><outline text=\"B\" xmlUrl=\"" + b + "\"/><outline text=\"P\" xmlUrl=\"" + page +
                                "\"/><outline text=\"A again\" xmlUrl=\"" + a + "\"/></outline>");
    h.platform.chosenFile = path;
    int progressShown = 0;
    connect(&h.window->opml(), &OpmlTransfer::progressShown, this, [&] { ++progressShown; });

    h.window->findChild<QAction*>("mnuFileImportOpml")->trigger();
    QCOMPARE(progressShown, 1);
    QCOMPARE(h.feedsIn("Tide"), 2);
    QCOMPARE(h.messages.texts().size(), 1);
    const QString summary = h.messages.texts().first();
    QVERIFY2(summary.startsWith("2 added, 1 skipped as already subscribed, 1 refused."), qPrintable(summary));
    QVERIFY2(summary.contains("\nP: "), qPrintable(summary));  // the refused feed by name, with its reason
  }

  void cancelledImportAddsNothing() {
    TestHttpServer server;
    server.route("/a.xml", {.body = rss("Alpha")});
    server.route("/never", {.stall = true});
    Harness h;
    const QString path =
        h.list("<outline text=\"Tide\"><outline text=\"A\" xmlUrl=\"" + server.url("/a.xml").toString().toUtf8() +
               "\"/><outline text=\"N\" xmlUrl=\"" + server.url("/never").toString().toUtf8() + "\"/></outline>");
    h.platform.chosenFile = path;
    // Cancelled as soon as the answered feed is checked, while the other still waits.
    connect(&h.window->opml(), &OpmlTransfer::progressShown, this, [](QProgressDialog* progress) {
      QTimer* poll = new QTimer(progress);
      connect(poll, &QTimer::timeout, progress, [progress] {
        if (progress->value() >= 1) emit progress->canceled();  // as the Cancel button does
      });
      poll->start(0);
    });
    QVERIFY(!h.window->opml().importOpml());
    QCOMPARE(h.feedsIn("Tide"), -1);
    QCOMPARE(h.messages.texts(), QStringList{"The import was cancelled; nothing was imported."});
  }

  void exportWritesTheListAndSaysSo() {
    Harness h;
    const QString target = h.home.file("out.opml");
    h.messages.answerSaveFile(target);
    h.window->findChild<QAction*>("mnuFileExportOpml")->trigger();
    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const Result<OpmlOutline> outline = OpmlDocument::Parse(written.readAll());
    QVERIFY(outline.ok());
    int feeds = 0;
    for (const OpmlCategory& c : outline.value().categories) feeds += static_cast<int>(c.feeds.size());
    QCOMPARE(h.messages.last().text, QStringLiteral("%1 categories with %2 feeds written to %3.")
                                         .arg(outline.value().categories.size())
                                         .arg(feeds)
                                         .arg(target));
  }
};

QTEST_MAIN(OpmlWindowTest)
#include "OpmlWindowTest.moc"
