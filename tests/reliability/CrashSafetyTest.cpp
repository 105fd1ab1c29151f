// The data files survive the process dying at any moment, a full disk and a
// read-only folder: each still loads and holds either its old or its new
// content. The writing is done by crash_writer (tests/reliability/writer),
// which journals what it is about to change and what it changed.

#include "support/TempHome.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>
#include <sys/stat.h>

namespace tidewell::test {
namespace {

QString writerProgram() { return TempHome::binDir() + "/crash_writer"; }

struct WriterRun {
  int exitCode = -1;
  QString out;
  QString err;
};

WriterRun runWriter(const QStringList& args) {
  QProcess process;
  process.start(writerProgram(), args);
  process.waitForFinished(60000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

// {"store": n, "feeds": n, "cfg": n} as the files are now; a file that does not
// load fails the test.
QMap<QString, long> versions(const QString& home) {
  const WriterRun check = runWriter({home, "--check"});
  EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
  const QStringList words = check.out.simplified().split(' ');
  QMap<QString, long> out;
  for (qsizetype i = 0; i + 1 < words.size(); i += 2) out.insert(words[i], words[i + 1].toLong());
  return out;
}

// Compared file by file, so a failure names the file that changed.
void expectSameFiles(const QMap<QString, QByteArray>& now, const QMap<QString, QByteArray>& before) {
  EXPECT_EQ(now.keys(), before.keys());
  for (auto it = before.begin(); it != before.end(); ++it) {
    EXPECT_TRUE(now.value(it.key()) == it.value()) << it.key().toStdString() << " changed:\n"
                                                   << now.value(it.key()).toStdString();
  }
}

QMap<QString, QByteArray> snapshot(const QString& root) {
  QMap<QString, QByteArray> files;
  QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    files.insert(QDir(root).relativeFilePath(path), file.readAll());
  }
  return files;
}

TEST(CrashSafety, EveryFileHoldsItsOldOrNewContentAfterAKill) {
  QTemporaryDir home;
  constexpr int kKills = 60;
  QElapsedTimer clock;
  clock.start();
  QMap<QString, long> at = {{"store", 0}, {"feeds", 0}, {"cfg", 0}};
  int kills = 0;
  int changed = 0;
  // Seeded, and the seed printed, so a failing series of kill times can be
  // replayed with TIDEWELL_CRASH_SEED.
  const quint32 seed = qEnvironmentVariableIsSet("TIDEWELL_CRASH_SEED")
                           ? qEnvironmentVariable("TIDEWELL_CRASH_SEED").toUInt()
                           : QRandomGenerator::global()->generate();
  std::printf("kill times seeded with TIDEWELL_CRASH_SEED=%u\n", seed);
  QRandomGenerator killTimes(seed);
  while (kills < kKills && clock.elapsed() < 75000) {
    QProcess writer;
    writer.setStandardOutputFile(home.filePath("journal.txt"));
    writer.start(writerProgram(), {home.path() + "/app"});
    ASSERT_TRUE(writer.waitForStarted());
    // Up to well past a loaded machine's start-up time, so kills land mid-work too.
    QThread::msleep(killTimes.bounded(80, 1200));
    writer.kill();
    writer.waitForFinished();
    ++kills;

    QFile journalFile(home.filePath("journal.txt"));
    journalFile.open(QIODevice::ReadOnly);
    const QStringList journal = QString::fromUtf8(journalFile.readAll()).split('\n', Qt::SkipEmptyParts);
    const QMap<QString, long> now = versions(home.path() + "/app");
    for (const QString& file : {QString("store"), QString("feeds"), QString("cfg")}) {
      SCOPED_TRACE(QString("seed %1, kill %2, %3").arg(seed).arg(kills).arg(file).toStdString());
      long begun = at[file];
      long done = at[file];
      for (const QString& line : journal) {
        const QStringList parts = line.split(' ');
        if (parts.value(1) != file) continue;
        (parts[0] == "begin" ? begun : done) = parts.value(2).toLong();
      }
      ASSERT_TRUE(now.contains(file));
      EXPECT_TRUE(now[file] == done || now[file] == begun)
          << "holds " << now[file] << ", last done " << done << ", last begun " << begun;
      if (now[file] != at[file]) ++changed;
      at[file] = now[file];
    }
  }
  EXPECT_GE(kills, 20);
  // The kills were not all before the first write.
  EXPECT_GT(changed, 0);
  RecordProperty("kills", kills);
}

// The limit stops every save part way (the files are larger than it).
constexpr int kFileSizeLimit = 100;

void prepare(const QString& home) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(runWriter({home, "--once"}).exitCode, 0);
}

TEST(CrashSafety, FullDiskReportsAndLosesNothing) {
  QTemporaryDir root;
  const QString home = root.path() + "/app";
  prepare(home);
  const QMap<QString, QByteArray> before = snapshot(home);
  const WriterRun run = runWriter({home, "--once", "--fsize", QString::number(kFileSizeLimit)});
  expectSameFiles(snapshot(home), before);
  // feeds.fdb's operation (the fourth round renames) and the settings report at their edge.
  EXPECT_TRUE(run.err.contains("EditFeed Function")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("SaveEmailSettings Function")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("SaveSchedulerSettings Function")) << run.err.toStdString();
  EXPECT_FALSE(run.err.contains("Successfully")) << run.err.toStdString();
  const QMap<QString, long> now = versions(home);
  EXPECT_EQ(now.value("store"), 3);
  EXPECT_EQ(now.value("feeds"), 3);
  EXPECT_EQ(now.value("cfg"), 3);
}

TEST(CrashSafety, ReadOnlyFolderReportsAndLosesNothing) {
  QTemporaryDir root;
  const QString home = root.path() + "/app";
  prepare(home);
  const QMap<QString, QByteArray> before = snapshot(home);
  // Root ignores permissions, so the writer drops to nobody; nobody must reach the folder.
  ::chmod(root.path().toLocal8Bit().constData(), 0755);
  ::chmod(home.toLocal8Bit().constData(), 0555);
  ::chmod((home + "/Data").toLocal8Bit().constData(), 0555);
  const WriterRun run = runWriter({home, "--once", "--as-nobody"});
  ::chmod(home.toLocal8Bit().constData(), 0755);
  ::chmod((home + "/Data").toLocal8Bit().constData(), 0755);
  if (run.exitCode == 4) GTEST_SKIP() << "cannot drop to the nobody user here";
  expectSameFiles(snapshot(home), before);
  EXPECT_TRUE(run.err.contains("ItemOperation Function")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("EditFeed Function")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("SaveEmailSettings Function")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("SaveSchedulerSettings Function")) << run.err.toStdString();
}

// The OPML export replaces a file of the user's choosing: on a full disk the
// old file stays and the command fails.
TEST(CrashSafety, OpmlExportOnAFullDiskKeepsTheOldFile) {
  QTemporaryDir root;
  QFile::copy(TempHome::testDataDir() + "/feeddb/sample.fdb", root.filePath("feeds.fdb"));
  QFile old(root.filePath("out.opml"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old content\n");
  old.close();
  QProcess cli;
  cli.setChildProcessModifier([] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{kFileSizeLimit, kFileSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  cli.start(TempHome::binDir() + "/tidewell-cli", {"--home", root.path(), "export-opml", root.filePath("out.opml")});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 1);
  QFile now(root.filePath("out.opml"));
  ASSERT_TRUE(now.open(QIODevice::ReadOnly));
  EXPECT_EQ(now.readAll(), QByteArray("old content\n"));
}

}  // namespace
}  // namespace tidewell::test
