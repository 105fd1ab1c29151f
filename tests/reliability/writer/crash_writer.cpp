// crash_writer HOME [--check] [--fsize BYTES] [--as-nobody] [--once]
//
// Keeps changing the data files of the application folder HOME the way the
// program does, one operation at a time: items appended to and marked read in
// one item store, feeds added and renamed in feeds.fdb, settings saved to
// AppCfg.cfg. Before and after each operation it writes "begin <file> <n>" /
// "done <file> <n>" to its standard output (unbuffered), so a test that kills
// it at any moment knows which versions each file may hold.
//
// Every file carries its version: the store its item count plus read marks,
// feeds.fdb the highest number in its feed names, AppCfg.cfg the sender name.
// --check prints "store N feeds N cfg N" for the files as they are, or
// "broken <file>" when one does not load.
//
// --fsize limits the size of any file the process writes (the disk is full
// past it) and --as-nobody drops root first (so a read-only folder binds);
// with --once every operation runs one time, reporting through stderr.

#include "core/AppPaths.h"
#include "core/StderrMessages.h"
#include "core/Utilities.h"
#include "feeddb/mFeeds.h"
#include "feeds/ItemStore.h"
#include "settings/mSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <pugixml.hpp>

#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstdio>

using namespace tidewell;

namespace {

const QString kFeedId = QStringLiteral("00000000-0000-0000-0000-00000000C0DE");
const QString kCategory = QStringLiteral("Crash");

void journal(const char* what, const char* file, long n) {
  char line[96];
  const int size = std::snprintf(line, sizeof line, "%s %s %ld\n", what, file, n);
  if (::write(1, line, static_cast<size_t>(size)) < 0) std::_Exit(3);
}

// -1: the file does not load.
long storeVersion(const QString& path) {
  if (!QFile::exists(path)) return 0;
  pugi::xml_document document;
  if (!document.load_file(path.toLocal8Bit().constData())) return -1;
  pugi::xml_node items = document.child("data").child("items");
  if (!items) return -1;
  long version = 0;
  for (pugi::xml_node item : items.children("item")) {
    version += 1 + (QByteArray(item.attribute("status").value()) == "1" ? 1 : 0);
  }
  return version;
}

long feedsVersion(const QString& path) {
  if (!QFile::exists(path)) return 0;
  pugi::xml_document document;
  if (!document.load_file(path.toLocal8Bit().constData())) return -1;
  pugi::xml_node category = document.child("categories").child("category");
  if (!category) return -1;
  long version = 0;
  for (pugi::xml_node feed : category.children("feed")) {
    version = std::max(version, QString::fromUtf8(feed.attribute("name").value()).mid(1).toLong());
  }
  return version;
}

long cfgVersion(const AppPaths& paths) {
  if (!QFile::exists(paths.appCfg())) return 0;
  StderrMessages messages;
  mSettings settings(paths, messages);
  settings.LoadEmailSettings();
  bool ok = false;
  const long version = settings.senderName.toLong(&ok);
  return ok ? version : -1;
}

QByteArray initialFeeds() { return "<categories><category name=\"Crash\"/></categories>"; }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: crash_writer HOME [--check] [--fsize BYTES] [--as-nobody] [--once]\n");
    return 2;
  }
  const QString home = args[1];
  const AppPaths paths(home, home);
  const QString storePath = paths.itemStore(kFeedId);

  if (args.contains(QStringLiteral("--check"))) {
    const long store = storeVersion(storePath);
    const long feeds = feedsVersion(paths.feedsDb());
    const long cfg = cfgVersion(paths);
    std::printf("store %ld feeds %ld cfg %ld\n", store, feeds, cfg);
    return store < 0 || feeds < 0 || cfg < 0 ? 1 : 0;
  }
  const qsizetype fsize = args.indexOf(QStringLiteral("--fsize"));
  if (fsize > 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = args.value(fsize + 1).toULongLong();
    const rlimit value{limit, limit};
    setrlimit(RLIMIT_FSIZE, &value);
  }
  if (args.contains(QStringLiteral("--as-nobody")) && (setgid(65534) != 0 || setuid(65534) != 0)) return 4;
  const bool once = args.contains(QStringLiteral("--once"));

  QDir().mkpath(home);
  if (!QFile::exists(paths.feedsDb())) util::WriteTextFile(paths.feedsDb(), QString::fromUtf8(initialFeeds()));
  StderrMessages messages;
  ItemStore store(storePath);
  mFeeds feeds(paths, messages);
  mSettings settings(paths, messages);
  // The first run has no AppCfg.cfg yet: it starts from the defaults.
  (void)settings.LoadSchedulerSettings(true);

  long storeAt = storeVersion(storePath);
  long feedsAt = feedsVersion(paths.feedsDb());
  long cfgAt = cfgVersion(paths);
  if (storeAt < 0 || feedsAt < 0 || cfgAt < 0) return 5;
  for (long round = 0; !once || round < 1; ++round) {
    // Item store: even versions append an item, odd ones mark the last one read.
    const long next = storeAt + 1;
    journal("begin", "store", next);
    if (storeAt % 2 == 0) {
      FeedItem item;
      item.title = QStringLiteral("item %1").arg(next);
      item.link = QStringLiteral("http://example.invalid/%1").arg(next);
      item.id = ItemRef::fromLink(item.link).id;
      item.description = QString(200, QLatin1Char('d'));
      store.AddItemToStore(item);
    } else {
      store.ItemOperation(QStringLiteral("http://example.invalid/%1").arg(storeAt), QStringLiteral("read"), true,
                          messages);
    }
    journal("done", "store", next);
    storeAt = next;

    // feeds.fdb: odd versions add a feed, even ones rename the last one.
    const long feedNext = feedsAt + 1;
    journal("begin", "feeds", feedNext);
    FeedRecord record;
    record.category = kCategory;
    record.url = QStringLiteral("http://example.invalid/feed/%1").arg(feedNext);
    record.name = QStringLiteral("f%1").arg(feedNext);
    if (feedNext % 2 == 1) {
      record.id = util::NewFeedID();
      feeds.AddFeed(record);
    } else {
      pugi::xml_document document;
      document.load_file(paths.feedsDb().toLocal8Bit().constData());
      pugi::xml_node feed = document.child("categories").child("category").last_child();
      record.id = QString::fromUtf8(feed.attribute("id").value());
      feeds.EditFeed(record, false);
    }
    journal("done", "feeds", feedNext);
    feedsAt = feedNext;

    // AppCfg.cfg: the e-mail section carries the version; the schedule list
    // is rewritten after it in the same file.
    const long cfgNext = cfgAt + 1;
    journal("begin", "cfg", cfgNext);
    settings.senderName = QString::number(cfgNext);
    // A failed save reports itself (the full-disk and read-only runs expect
    // every one of them), so the result is not needed here.
    (void)settings.SaveEmailSettings(once);
    if (settings.scheduleList.size() > 20) settings.scheduleList.clear();
    ScheduleEntry entry;
    entry.caption = QStringLiteral("s%1").arg(cfgNext);
    entry.url = QStringLiteral("http://example.invalid/s/%1").arg(cfgNext);
    entry.feedId = util::NewFeedID();
    settings.scheduleList.push_back(entry);
    (void)settings.SaveSchedulerSettings(once);
    journal("done", "cfg", cfgNext);
    cfgAt = cfgNext;
  }
  return 0;
}
