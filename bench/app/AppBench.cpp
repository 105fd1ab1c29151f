// Prints how long the desktop program takes for the three things a user waits
// for: a feed with 10,000 stored items opening to a filled, sorted list; a
// click on an item showing its preview; and the start-up to a visible main
// window with 1,000 feeds in the tree (without the splash delay).

#include "app/AppContext.h"
#include "app/ui/frmMain.h"
#include "core/StderrMessages.h"
#include "core/ui/DesktopPlatform.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/ViewerHost.h"
#include "feeds/ui/frmViewFeed.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tidewell;

namespace {

constexpr int kRuns = 7;

class QuietHost : public ViewerHost {
 public:
  void refreshTabs() override {}
  void enableSendByEmail() override {}
  void popupItemMenu(const QPoint&) override {}
  void showEmailSettings() override {}
  void sendItemByEmail(const QString&, const QString&, const QString&, const QString&) override {}
};

// Median and worst of a few runs, in milliseconds.
void report(const char* what, std::vector<double> ms, double budget) {
  std::sort(ms.begin(), ms.end());
  const double median = ms[ms.size() / 2];
  std::printf("%-58s median %8.2f ms   worst %8.2f ms   (target < %.0f ms)\n", what, median, ms.back(), budget);
}

FeedItems manyItems(int count) {
  FeedItems items;
  items.reserve(static_cast<size_t>(count));
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = count - 1; i >= 0; --i) {  // newest first, as feeds list them
    FeedItem item;
    item.title = QStringLiteral("Item number %1 of the long feed, with a title of ordinary length").arg(i);
    item.link = QStringLiteral("https://news.example.org/articles/%1").arg(i);
    item.day = QStringLiteral("%1").arg(1 + i % 28, 2, 10, QLatin1Char('0'));
    item.month = QLatin1String(kMonths[(i / 28) % 12]);
    item.year = QString::number(1990 + i / (28 * 12));
    item.time = QStringLiteral("%1:%2:%3")
                    .arg(i % 24, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg((i * 7) % 60, 2, 10, QLatin1Char('0'));
    item.description = QStringLiteral(
                           "<p>The body of item %1: a few sentences of text, as feeds carry them, with a "
                           "<a href=\"https://news.example.org/\">link</a> and some <b>markup</b>.</p>")
                           .arg(i);
    items.push_back(item);
  }
  return items;
}

void benchViewer(const QString& home) {
  StderrMessages messages;
  AppContext context(AppPaths(home, QCoreApplication::applicationDirPath()), UserStore(home + "/settings"), messages);
  const QString feedId = QStringLiteral("0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9");
  QDir().mkpath(context.paths.dataFolder());
  const ItemStore store(context.paths.itemStore(feedId));
  const MergeResult merged = store.MergeNewItems(manyItems(10000), QString());
  std::printf("store: %d items, %lld bytes\n", merged.added, static_cast<long long>(QFile(store.path()).size()));

  QuietHost host;
  DesktopPlatform platform;
  std::vector<double> open;
  std::vector<double> preview;
  std::vector<double> saved;
  for (int run = 0; run < kRuns; ++run) {
    FeedRecord feed;
    feed.id = feedId;
    feed.name = QStringLiteral("Long feed");
    frmViewFeed viewer(context, platform, host, feed);
    viewer.setCheckForNewItems(false);
    viewer.resize(1000, 700);
    viewer.show();
    viewer.tmrDelay().stop();
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    viewer.LoadFeedData(true);
    open.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (viewer.lstItems()->topLevelItemCount() != 10000) std::printf("unexpected row count\n");

    // Rows near the top, the middle and the end; each one unread the first time.
    for (int row : {run, 5000 + run, 9990 - run}) {
      QTreeWidgetItem* item = viewer.lstItems()->topLevelItem(row);
      viewer.lstItems()->setCurrentItem(item);
      timer.restart();
      emit viewer.lstItems()->itemClicked(item, 0);
      preview.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
      timer.restart();
      QCoreApplication::processEvents();  // the read mark's save follows the preview
      saved.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
  }
  report("open a feed of 10,000 stored items (filled, sorted list)", open, 300);
  report("click an item -> its preview shown", preview, 50);
  report("  then the read mark saved (4 MB store, after the preview)", saved, 1000);
}

QByteArray bigDatabase(int feeds, int categories) {
  QByteArray xml = "<categories>";
  for (int c = 0; c < categories; ++c) {
    xml += "<category name=\"Category " + QByteArray::number(c) + "\">";
    for (int f = c; f < feeds; f += categories) {
      const QByteArray id = QStringLiteral("%1-1111-2222-3333-444444444444").arg(f, 8, 10, QLatin1Char('0')).toUtf8();
      xml += "<feed name=\"Feed " + QByteArray::number(f) + "\" type=\"" + QByteArray::number(f % 3) + "\" id=\"" + id +
             "\">https://feeds.example.org/" + QByteArray::number(f) + ".xml</feed>";
    }
    xml += "</category>";
  }
  return xml + "</categories>";
}

void benchStartup(const QString& home) {
  std::vector<double> startup;
  QFile db(home + "/feeds.fdb");
  if (db.open(QIODevice::WriteOnly)) db.write(bigDatabase(1000, 25));
  db.close();
  for (int run = 0; run < kRuns; ++run) {
    StderrMessages messages;
    AppContext context(AppPaths(home, QCoreApplication::applicationDirPath()), UserStore(home + "/settings"), messages);
    context.userStore.setUserValue("Settings", "Language", "English");
    context.userStore.setUserValue("Settings", "showHelp", "0");
    QElapsedTimer timer;
    timer.start();
    DesktopPlatform platform;
    frmMain window(context, platform);
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    startup.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  report("start-up to a visible main window, 1,000 feeds in the tree", startup, 400);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir viewerHome;
  QTemporaryDir startupHome;
  benchViewer(viewerHome.path());
  benchStartup(startupHome.path());
  return 0;
}
