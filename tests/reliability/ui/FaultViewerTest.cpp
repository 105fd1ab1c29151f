// The feed window itself meets the network faults that end quickly (the
// stalls wait for its fixed time limit and are met by the fault matrix's
// viewer flavour instead): it says what went wrong, keeps showing the stored
// items, ends its check and leaves the store as it was.

#include "app/AppContext.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/ViewerHost.h"
#include "feeds/ui/frmViewFeed.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"
#include "support/ui/FakeViewerHost.h"
#include "support/ui/ViewerLoad.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

const QString kFeedId = QStringLiteral("0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9");

const QByteArray kFeed =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Faults</title>"
    "<item><title>b</title><link>http://example.invalid/b</link><pubDate>Fri, 04 Dec 2026 10:00:00 GMT</pubDate>"
    "<description>second</description></item>"
    "<item><title>a</title><link>http://example.invalid/a</link><pubDate>Thu, 03 Dec 2026 10:00:00 GMT</pubDate>"
    "<description>first</description></item></channel></rss>";

QByteArray readAll(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

}  // namespace

class FaultViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void eachFaultIsReportedAndTheStoredItemsStay() {
    struct Fault {
      const char* name;
      std::function<void(TestHttpServer&)> arrange;
      QStringList titles;
    };
    const QStringList broken{"Invalid Data Format!"};
    // One failure, one message: a refused download is not parsed as well.
    const QStringList refused{"Download Failed!"};
    const std::vector<Fault> faults = {
        {"reset mid-body", [](TestHttpServer& s) { s.route("/feed.xml", {.body = kFeed, .resetAfterBytes = 100}); },
         broken},
        {"Content-Length shorter than the body",
         [](TestHttpServer& s) { s.route("/feed.xml", {.body = kFeed, .contentLength = 120}); }, broken},
        {"chunk size not hexadecimal",
         [](TestHttpServer& s) { s.route("/feed.xml", {.chunked = true, .rawPayload = "zz\r\n<rss>\r\n0\r\n\r\n"}); },
         {"Invalid Server Response!"}},
        {"1 GiB body announced", [](TestHttpServer& s) { s.route("/feed.xml", {.streamBytes = qint64(1) << 30}); },
         refused},
        {"redirect loop", [](TestHttpServer& s) { s.route("/feed.xml", {.redirectTo = "/feed.xml"}); }, refused},
        {"redirect to a refusing address",
         [](TestHttpServer& s) {
           s.route("/feed.xml", {.redirectTo = TestHttpServer::refusingUrl("/feed.xml").toEncoded()});
         },
         {"Invalid Server Response!"}},
    };

    AppFixture fixture;
    ScriptedMessages& messages = fixture.messages;
    AppContext& context = fixture.context;
    test::FakePlatform platform;
    test::FakeViewerHost host;
    QDir().mkpath(context.paths.dataFolder());
    const QString storePath = context.paths.itemStore(kFeedId);
    TestHttpServer server;
    server.route("/feed.xml", {.body = kFeed});

    frmViewFeed viewer(context, platform, host,
                       FeedRecord{.url = server.url("/feed.xml").toString(), .id = kFeedId, .name = "Faulty"});
    viewer.show();
    viewer.tmrDelay().stop();
    viewer.setCheckForNewItems(true);
    QVERIFY(test::loadFeedAndWait(viewer, true));
    QCOMPARE(viewer.lstItems()->topLevelItemCount(), 2);
    QVERIFY(messages.empty());
    const QByteArray stored = readAll(storePath);

    for (const Fault& fault : faults) {
      messages.clear();
      fault.arrange(server);
      QVERIFY(test::loadFeedAndWait(viewer, true));
      QVERIFY2(messages.titles() == fault.titles,
               qPrintable(QString("%1: %2").arg(fault.name, messages.titles().join('|'))));
      QVERIFY2(!viewer.StillExecuting(), fault.name);
      QVERIFY2(viewer.lstItems()->topLevelItemCount() == 2, fault.name);
      QVERIFY2(readAll(storePath) == stored, fault.name);
    }
  }
};

QTEST_MAIN(FaultViewerTest)
#include "FaultViewerTest.moc"
