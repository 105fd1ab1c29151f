// Prints how long saving and loading the scheduler settings take for
// schedule lists of growing length: the scheduled check loads the list at
// the start of every run.
#include "core/StderrMessages.h"
#include "settings/mSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace tidewell;

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  StderrMessages messages;
  std::printf("%8s %12s %12s\n", "feeds", "save ms", "load ms");
  for (int count : {100, 500, 2000}) {
    mSettings settings(AppPaths(dir.path(), dir.path()), messages);
    for (int i = 1; i <= count; ++i) {
      ScheduleEntry entry;
      entry.feedType = static_cast<qint16>(i % 3);
      entry.feedId = QStringLiteral("%1-1D99-4938-ACCE-30808E2C6945").arg(i, 8, 10, QLatin1Char('0'));
      entry.url = QStringLiteral("http://127.0.0.1:8080/feeds/feed-%1.xml").arg(i);
      entry.caption = QStringLiteral("Benchmark feed number %1").arg(i);
      settings.scheduleList.append(entry);
    }
    QElapsedTimer timer;
    timer.start();
    if (!settings.SaveSchedulerSettings(false)) return 1;
    const qint64 saveMs = timer.elapsed();
    timer.restart();
    mSettings loaded(AppPaths(dir.path(), dir.path()), messages);
    if (!loaded.LoadSchedulerSettings(true) || loaded.scheduleList.size() != count) return 1;
    const qint64 loadMs = timer.elapsed();
    std::printf("%8d %12lld %12lld\n", count, static_cast<long long>(saveMs), static_cast<long long>(loadMs));
  }
  return 0;
}
