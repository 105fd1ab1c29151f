#include "feeds/EnclosureDownload.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::TempHome;
using test::TestHttpServer;

struct Outcome {
  QString error;
  QList<qint64> received;
};

// Runs one download to its end, optionally cancelling it at the first progress report.
Outcome download(EnclosureDownload& saver, const QUrl& url, const QString& target, bool cancelAtFirstProgress = false) {
  Outcome outcome;
  QObject::connect(&saver, &EnclosureDownload::progress, &saver, [&](qint64 received, qint64) {
    outcome.received << received;
    if (cancelAtFirstProgress && outcome.received.size() == 1) saver.cancel();
  });
  int finished = 0;
  QEventLoop loop;
  const QMetaObject::Connection done =
      QObject::connect(&saver, &EnclosureDownload::finished, &loop, [&](const QString& error) {
        outcome.error = error;
        ++finished;
        loop.quit();
      });
  // Only a guard against a hang: the loop ends on finished().
  QTimer::singleShot(20000, &loop, &QEventLoop::quit);
  saver.start(url, target);
  loop.exec();
  QObject::disconnect(done);
  EXPECT_EQ(finished, 1);
  return outcome;
}

TEST(EnclosureDownload, SavesWholeOrLeavesNothing) {
  TempHome home;
  TestHttpServer server;
  const QByteArray audio = QByteArray("ID3 tide sounds ").repeated(40000);  // 640 KB
  server.route(QStringLiteral("/ep/3.mp3"), {.body = audio, .contentType = "audio/mpeg", .chunkSize = 4096});
  server.route(QStringLiteral("/moved.mp3"), {.redirectTo = "/ep/3.mp3"});
  server.route(QStringLiteral("/cut.mp3"), {.body = audio, .resetAfterBytes = 1000});
  server.route(QStringLiteral("/gone.mp3"), {.status = 404, .body = "<html>gone</html>"});
  server.route(QStringLiteral("/big.mp3"), {.streamBytes = qint64(1) << 30});
  server.route(QStringLiteral("/unannounced.mp3"), {.streamBytes = 4 << 20, .unannounced = true});
  const QString target = home.file(QStringLiteral("3.mp3"));

  EnclosureDownload saver;
  EXPECT_EQ(EnclosureDownload::suggestedFileName(server.url(QStringLiteral("/ep/3.mp3"))), QStringLiteral("3.mp3"));
  EXPECT_EQ(EnclosureDownload::suggestedFileName(QUrl(QStringLiteral("http://x/"))), QStringLiteral("enclosure"));

  Outcome done = download(saver, server.url(QStringLiteral("/moved.mp3")), target);
  EXPECT_EQ(done.error, QString());
  EXPECT_EQ(home.read(QStringLiteral("3.mp3")), audio);
  ASSERT_FALSE(done.received.isEmpty());
  EXPECT_EQ(done.received.last(), audio.size());

  // Failures and a cancel keep the file that was there and leave no partial one.
  struct Case {
    const char* path;
    bool cancel;
  };
  for (const Case& c : {Case{"/cut.mp3", false}, Case{"/gone.mp3", false}, Case{"/big.mp3", true}}) {
    SCOPED_TRACE(c.path);
    const Outcome failed = download(saver, server.url(QString::fromLatin1(c.path)), target, c.cancel);
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_TRUE(home.read(QStringLiteral("3.mp3")) == audio) << home.read(QStringLiteral("3.mp3")).size();
  }
  EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList{QStringLiteral("3.mp3")});

  // The free space caps it: refused at once when announced, stopped when not.
  EnclosureDownload tight;
  tight.freeSpace = [](const QString&) { return EnclosureDownload::kReserveBytes + 1024 * 1024; };
  const QString other = home.file(QStringLiteral("big.mp3"));
  Outcome capped = download(tight, server.url(QStringLiteral("/big.mp3")), other);
  EXPECT_TRUE(capped.error.contains(QStringLiteral("does not fit"))) << capped.error.toStdString();
  EXPECT_TRUE(capped.received.isEmpty());
  capped = download(tight, server.url(QStringLiteral("/unannounced.mp3")), other);
  EXPECT_TRUE(capped.error.contains(QStringLiteral("does not fit"))) << capped.error.toStdString();
  EXPECT_FALSE(QFile::exists(other));
  // Only web addresses.
  EXPECT_FALSE(download(saver, QUrl(QStringLiteral("file:///etc/passwd")), other).error.isEmpty());
  EXPECT_FALSE(QFile::exists(other));
}

}  // namespace
}  // namespace tidewell
