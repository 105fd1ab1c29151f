// Prints how long the desktop program takes from its start to a tree that
// shows every unread count, with FEEDS feeds of ITEMS stored items each
// (default 1,000 x 1,000). The stores are written as text straight away (no
// parser, no merge), so generating a million items takes seconds; the item
// index is then built once (the first start after an upgrade, reported on its
// own) and the starts that follow are measured.
//
//   bin/bench_reading_start [FEEDS] [ITEMS]
#include "app/AppContext.h"
#include "app/ui/ReadingController.h"
#include "app/ui/frmMain.h"
#include "core/StderrMessages.h"
#include "core/ui/DesktopPlatform.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/TreeCounts.h"
#include "feeds/ItemIndex.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tidewell;

namespace {

constexpr int kRuns = 5;

QString feedId(int i) {
  return QStringLiteral("%1-1111-2222-3333-444444444444").arg(i, 8, 16, QLatin1Char('0')).toUpper();
}

// Returns the number of unread items written.
long long writeHome(const QString& home, int feeds, int items) {
  QDir().mkpath(home + "/Data");
  QByteArray db = "<categories>";
  for (int c = 0; c < 25; ++c) {
    db += "<category name=\"Category " + QByteArray::number(c) + "\">";
    for (int f = c; f < feeds; f += 25) {
      db += "<feed name=\"Feed " + QByteArray::number(f) + "\" type=\"0\" id=\"" + feedId(f).toUtf8() +
            "\">http://127.0.0.1:9/" + QByteArray::number(f) + "</feed>";
    }
    db += "</category>";
  }
  db += "</categories>\n";
  QFile dbFile(home + "/feeds.fdb");
  if (!dbFile.open(QIODevice::WriteOnly)) return 0;
  dbFile.write(db);
  long long unread = 0;
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int f = 0; f < feeds; ++f) {
    QByteArray store = "<data><items>";
    store.reserve(items * 330);
    for (int i = 0; i < items; ++i) {
      const bool isUnread = (i * 7 + f) % 10 < 3;
      unread += isUnread;
      store += "<item id=\"" + QByteArray::number(qulonglong(f) * items + i, 16).rightJustified(32, '0') +
               "\" status=\"" + (isUnread ? "0" : "1") + "\"><title>Item " + QByteArray::number(i) + " of feed " +
               QByteArray::number(f) + "</title><link>http://example.org/" + QByteArray::number(f) + "/" +
               QByteArray::number(i) + "</link><date>20" + QByteArray::number(10 + i % 15) + "-" + kMonths[i % 12] +
               "-" + QByteArray::number(10 + i % 18) +
               "T08:00:00</date><desc>&lt;p&gt;A short body of the item with a few words about the harbour, "
               "the tide and the ferry.&lt;/p&gt;</desc><media/></item>";
    }
    store += "</items><latest>20991231000000</latest></data>\n";
    QFile file(home + "/Data/" + feedId(f) + ".fdb");
    if (!file.open(QIODevice::WriteOnly)) return 0;
    file.write(store);
  }
  return unread;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int feeds = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int items = argc > 2 ? std::atoi(argv[2]) : 1000;
  QTemporaryDir dir;
  const QString home = dir.path();

  QElapsedTimer timer;
  timer.start();
  const long long unread = writeHome(home, feeds, items);
  std::printf("%d feeds x %d items written in %.1f s\n", feeds, items, timer.nsecsElapsed() / 1e9);
  const QString expected = QStringLiteral("Subscribed Feeds (%1)").arg(unread);

  std::vector<double> starts;
  for (int run = 0; run <= kRuns; ++run) {
    StderrMessages messages;
    AppContext context(AppPaths(home, QCoreApplication::applicationDirPath()), UserStore(home + "/settings"), messages);
    context.userStore.setUserValue("Settings", "Language", "English");
    context.userStore.setUserValue("Settings", "showHelp", "0");
    DesktopPlatform platform;
    timer.restart();
    frmMain window(context, platform);
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    const double upMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    // A new index fills in after the window is up, a few feeds at a time.
    while (window.reading()->counts().building()) QCoreApplication::processEvents();
    const QTreeWidgetItem* root = window.tvCategories()->rootItem();
    const QString shown = root ? CategoryTreeWidget::shownText(root) : QString();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (shown != expected) std::printf("unexpected root: %s (wanted %s)\n", qPrintable(shown), qPrintable(expected));
    if (run == 0) {
      std::printf("%-62s %9.0f ms\n", "first start: window up, the index still to build", upMs);
      std::printf("%-62s %9.0f ms\n", "first start: every store read into the index, all counts", ms);
    } else {
      starts.push_back(ms);
    }
  }
  std::sort(starts.begin(), starts.end());
  std::printf("%-62s median %8.1f ms  worst %8.1f ms  (target < 500 ms)\n",
              "start to a visible window with every count in the tree", starts[starts.size() / 2], starts.back());
  std::printf("item index: %.0f MB\n", QFile(home + "/" + ItemIndex::fileName()).size() / 1e6);
  return 0;
}
