// Prints the figures of feed parsing and the item store:
//   parse a 10 MB RSS document of 10,000 items,
//   merge 1,000 new items into a store of 10,000,
//   mark read / delete one item in that store,
//   peak memory of the merge against the store's size.
// Run the Release build: build/feeds-rel/bin/bench_feeds

#include "core/UserMessages.h"
#include "feeds/FeedParser.h"
#include "feeds/ItemStore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace tidewell;

namespace {

class NullMessages : public UserMessages {
 public:
  void showMessage(const QString&, const QString&, MessageIcon) override {}
  bool askYesNo(const QString&, const QString&) override { return false; }
  bool askRetryCancel(const QString&, const QString&, MessageIcon) override { return false; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

// An RSS document of count items, newest first, each about 1 KB; item i is
// dated i seconds after the base so the walk accepts them all.
QByteArray makeRss(int count, int firstIndex) {
  const QByteArray filler =
      QByteArray("Tides rise and fall twice a day; &lt;b&gt;the moon&lt;/b&gt; pulls. ").repeated(13);
  QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel><title>Bench</title>\n";
  out.reserve(count * 1100 + 200);
  for (int i = firstIndex + count - 1; i >= firstIndex; --i) {
    const int day = 1 + (i / 86400) % 28;
    const int seconds = i % 86400;
    char date[64];
    std::snprintf(date, sizeof date, "Mon, %02d Jan 2024 %02d:%02d:%02d GMT", day, seconds / 3600, (seconds / 60) % 60,
                  seconds % 60);
    out += "<item><title>Item " + QByteArray::number(i) + "</title><link>http://bench.example/item/" +
           QByteArray::number(i) + "</link><pubDate>" + date + "</pubDate><description>" + filler +
           "</description><enclosure url=\"http://bench.example/" + QByteArray::number(i) + ".mp3\"/></item>\n";
  }
  out += "</channel></rss>\n";
  return out;
}

template <typename F>
std::vector<double> timeRuns(int runs, F&& body) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer clock;
    clock.start();
    body();
    ms.push_back(clock.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms;
}

void report(const char* what, const std::vector<double>& ms, double target) {
  std::printf("%-52s median %7.1f ms  min %7.1f ms  (target < %.0f ms)\n", what, ms[ms.size() / 2], ms.front(), target);
}

long statusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

void copyFile(const QString& from, const QString& to) {
  QFile::remove(to);
  QFile::copy(from, to);
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  NullMessages messages;

  // 1. Parsing.
  const QByteArray document = makeRss(10000, 0);
  int parsed = 0;
  const auto parseMs = timeRuns(9, [&] { parsed = ParseRssItems(document).count(); });
  std::printf("RSS document: %.1f MB, %d items\n", document.size() / 1e6, parsed);
  report("parse 10,000-item RSS", parseMs, 80);

  // 2. A store of 10,000 items, then 1,000 newer ones merged into it.
  const QString master = dir.filePath(QStringLiteral("master.fdb"));
  {
    const ParseResult base = ParseRssItems(document);
    ItemStore(master).MergeNewItems(base.items, QString());
  }
  const qint64 storeBytes = QFileInfo(master).size();
  const FeedItems fresh = ParseRssItems(makeRss(1000, 10000)).items;
  const QString work = dir.filePath(QStringLiteral("work.fdb"));
  int added = 0;
  std::vector<double> mergeMs;
  for (int i = 0; i < 7; ++i) {
    copyFile(master, work);
    const ItemStore store(work);
    const QString latest = store.ReadLatestId();
    QElapsedTimer clock;
    clock.start();
    added = store.MergeNewItems(fresh, latest).added;
    mergeMs.push_back(clock.nsecsElapsed() / 1e6);
  }
  std::sort(mergeMs.begin(), mergeMs.end());
  std::printf("store: %.1f MB, 10,000 items; merged %d new items\n", storeBytes / 1e6, added);
  report("merge 1,000 new items into 10,000", mergeMs, 200);

  // The list side: all 10,000 stored items read for a viewer.
  const auto listMs = timeRuns(7, [&] { (void)ItemStore(master).LoadStoredItems(messages); });
  report("load 10,000 stored items for the list", listMs, 300);

  // 3. One item marked read, one deleted (the middle of the store).
  copyFile(master, work);
  const ItemStore store(work);
  const QString middle = QStringLiteral("http://bench.example/item/5000");
  int flips = 0;
  // Alternating read and unread, so every run changes and saves the file.
  const auto perRead = timeRuns(8, [&] {
    store.ItemOperation(middle, flips++ % 2 == 0 ? QStringLiteral("read") : QStringLiteral("unread"), false, messages);
  });
  report("mark one item read/unread in 10,000", perRead, 80);
  int deleteIndex = 4000;
  const auto deleteMs = timeRuns(7, [&] {
    store.ItemOperation(QStringLiteral("http://bench.example/item/%1").arg(deleteIndex++), QStringLiteral("del"), false,
                        messages);
  });
  report("delete one item in 10,000", deleteMs, 80);

  // 4. Peak memory of one merge: the high-water mark is reset, the merge
  // runs, the rise over the resident size before it is the merge's peak.
  copyFile(master, work);
  const QString latest = ItemStore(work).ReadLatestId();
  // Freed memory goes back to the system first, so the merge's pages are counted.
  malloc_trim(0);
  {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
  }
  const long before = statusKb("VmRSS:");
  ItemStore(work).MergeNewItems(fresh, latest);
  const long peak = statusKb("VmHWM:");
  const double riseMb = (peak - before) / 1024.0;
  std::printf("%-52s %7.1f MB over %.1f MB store = %.2f x  (target < 5 x)\n", "merge peak memory", riseMb,
              storeBytes / 1e6, riseMb * 1024 * 1024 / storeBytes);
  return 0;
}
