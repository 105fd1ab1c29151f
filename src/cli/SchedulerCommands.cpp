#include "cli/SchedulerCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "feeddb/mFeeds.h"
#include "scheduler/mScheduler.h"

#include <QList>

#include <unistd.h>
#include <cstdio>

namespace tidewell::cli {

namespace {}  // namespace

int runCheck(AppContext& context, const QStringList& args) {
  QList<ScheduleEntry> entries;
  for (const QString& id : args) {
    if (id.startsWith(QLatin1String("--"))) return usageError(QStringLiteral("check"));
  }
  if (!args.isEmpty()) {
    mFeeds feeds(context.paths, context.messages);
    for (const QString& id : args) {
      const std::optional<FeedRecord> record = feeds.FindFeed(id);
      if (!record) {
        printErr(QStringLiteral("tidewell-cli: no feed with the id ") + id + QStringLiteral(" in feeds.fdb"));
        return kExitFailed;
      }
      ScheduleEntry entry;
      entry.url = record->url;
      entry.feedType = feedTypeCode(record->type);
      entry.feedId = record->id;
      entry.caption = record->name;
      entries.append(entry);
    }
  }

  mScheduler scheduler(context.paths, context.settings, context.scheduler);
  if (isatty(STDERR_FILENO) != 0) {
    QObject::connect(&scheduler, &mScheduler::feedStarted, [](int index, int count, const QString& caption) {
      printErr(QStringLiteral("[%1/%2] %3").arg(index + 1).arg(count).arg(caption));
    });
  }
  const bool ran = args.isEmpty() ? scheduler.RunScheduledCheck() : scheduler.RunScheduledCheck(entries);
  if (!ran) {
    printErr(QStringLiteral("tidewell-cli: a scheduled check is already running"));
    return kExitFailed;
  }
  // The desktop program's announcement, as lines: there is no window to
  // switch off here, so they are printed whatever the notify setting says.
  for (const NewItemsEntry& entry : context.scheduler.summary) printOut(mScheduler::notificationLine(entry));
  std::fflush(stdout);
  return kExitOk;
}

}  // namespace tidewell::cli
