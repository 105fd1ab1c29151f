#include "cli/ConfigCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "core/UserMessages.h"
#include "core/mINI.h"
#include "feeddb/mFeeds.h"
#include "settings/mSettings.h"

namespace tidewell::cli {

namespace {

// A default no stored value can hold: tells a missing key from an empty one.
const QString kMissing = QStringLiteral("\x01\x02missing");

int configGet(AppContext& context, const QStringList& args) {
  if (args.size() != 2) return usageError(QStringLiteral("config"));
  mINI ini;
  ini.SetINIFile(context.paths.appCfg(), mSettings::kBufferSize);
  const Result<QString> value = ini.ReadINI(args[0], args[1], kMissing);
  if (!value) {
    printErr(QStringLiteral("config: ") + value.error().description);
    return kExitFailed;
  }
  if (value.value() == kMissing) {
    printErr(QStringLiteral("config: %1/%2 is not set").arg(args[0], args[1]));
    return kExitFailed;
  }
  printOut(value.value());
  return kExitOk;
}

int configSet(AppContext& context, const QStringList& args) {
  if (args.size() != 3 || args[0].trimmed().isEmpty() || args[1].trimmed().isEmpty()) {
    return usageError(QStringLiteral("config"));
  }
  mINI ini;
  ini.SetINIFile(context.paths.appCfg(), mSettings::kBufferSize);
  const Status written = ini.WriteINI(args[0], args[1], args[2]);
  if (!written) {
    printErr(QStringLiteral("config: ") + written.error().description);
    return kExitFailed;
  }
  return kExitOk;
}

qsizetype indexOfFeed(const mSettings& settings, const QString& feedId) {
  for (qsizetype i = 0; i < settings.scheduleList.size(); ++i) {
    if (settings.scheduleList[i].feedId == feedId) return i;
  }
  return -1;
}

int scheduleList(AppContext& context) {
  mSettings& settings = context.settings;
  if (!settings.LoadSchedulerSettings(true)) return kExitFailed;
  for (qsizetype i = 0; i < settings.scheduleList.size(); ++i) {
    const ScheduleEntry& entry = settings.scheduleList[i];
    printOut(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                 .arg(QString::number(i + 1), QString::number(entry.feedType), entry.feedId, entry.url, entry.caption));
  }
  return kExitOk;
}

int scheduleAdd(AppContext& context, const QString& feedId) {
  mSettings& settings = context.settings;
  // A list that did not load whole must not be saved back shortened.
  if (!settings.LoadSchedulerSettings(true)) return kExitFailed;
  mFeeds feeds(context.paths, context.messages);
  const std::optional<FeedRecord> feed = feeds.FindFeed(feedId);
  if (!feed) {
    printErr(QStringLiteral("schedule: feeds.fdb has no feed with the id ") + feedId);
    return kExitFailed;
  }
  if (indexOfFeed(settings, feed->id) >= 0) {
    context.messages.showMessage(QStringLiteral("Selected Source is already added to the Schedule List."),
                                 QStringLiteral("Source already in Schedule List!"), MessageIcon::Exclamation);
    return kExitFailed;
  }
  ScheduleEntry entry;
  entry.url = feed->url;
  entry.feedType = feedTypeCode(feed->type);
  entry.feedId = feed->id;
  entry.caption = feed->name;
  settings.scheduleList.append(entry);
  if (!settings.SaveSchedulerSettings(false)) return kExitFailed;
  printOut(QStringLiteral("added: ") + entry.caption);
  return kExitOk;
}

int scheduleRemove(AppContext& context, const QString& feedId) {
  mSettings& settings = context.settings;
  if (!settings.LoadSchedulerSettings(true)) return kExitFailed;
  const qsizetype index = indexOfFeed(settings, feedId);
  if (index < 0) {
    printErr(QStringLiteral("schedule: the schedule list has no feed with the id ") + feedId);
    return kExitFailed;
  }
  const QString caption = settings.scheduleList[index].caption;
  settings.scheduleList.removeAt(index);
  if (!settings.SaveSchedulerSettings(false)) return kExitFailed;
  printOut(QStringLiteral("removed: ") + caption);
  return kExitOk;
}

int scheduleEnable(AppContext& context, const QStringList& args) {
  int interval = mSettings::kNoInterval;
  if (!args.isEmpty()) {
    bool ok = false;
    if (args.size() == 2 && args[0] == QLatin1String("--interval")) interval = args[1].toInt(&ok);
    if (!ok || !mSettings::isValidInterval(interval)) {
      printErr(QStringLiteral("schedule: the interval is one of 0..6:"));
      for (int i = 0; i < mSettings::kIntervalCount; ++i) {
        printErr(QStringLiteral("  %1  %2").arg(i).arg(mSettings::intervalTexts()[i]));
      }
      return usageError(QStringLiteral("schedule"));
    }
  }
  mSettings& settings = context.settings;
  if (!settings.LoadSchedulerSettings(true)) return kExitFailed;
  if (settings.scheduleList.isEmpty()) {
    context.messages.showMessage(
        QStringLiteral("You've enabled Scheduler, but no Feed Sources are configured for Scheduled check."),
        QStringLiteral("No Sources Selected!"), MessageIcon::Exclamation);
    return kExitFailed;
  }
  if (interval == mSettings::kNoInterval) interval = settings.interval;
  if (!mSettings::isValidInterval(interval)) {
    context.messages.showMessage(QStringLiteral("Please set Schedule Execution Interval."),
                                 QStringLiteral("Execution Frequency?"), MessageIcon::Exclamation);
    return kExitFailed;
  }
  settings.schedulerEnabled = 1;
  settings.interval = static_cast<qint16>(interval);
  if (!settings.SaveSchedulerSettings(false)) return kExitFailed;
  printOut(QStringLiteral("enabled: ") + mSettings::intervalTexts()[interval]);
  return kExitOk;
}

int scheduleDisable(AppContext& context) {
  mSettings& settings = context.settings;
  if (!settings.LoadSchedulerSettings(true)) return kExitFailed;
  settings.schedulerEnabled = 0;
  if (!settings.SaveSchedulerSettings(false)) return kExitFailed;
  printOut(QStringLiteral("disabled"));
  return kExitOk;
}

}  // namespace

int runConfig(AppContext& context, const QStringList& args) {
  if (args.isEmpty()) return usageError(QStringLiteral("config"));
  const QString& verb = args.first();
  if (verb == QLatin1String("get")) return configGet(context, args.mid(1));
  if (verb == QLatin1String("set")) return configSet(context, args.mid(1));
  return usageError(QStringLiteral("config"));
}

int runSchedule(AppContext& context, const QStringList& args) {
  if (args.isEmpty()) return usageError(QStringLiteral("schedule"));
  const QString& verb = args.first();
  const QStringList rest = args.mid(1);
  if (verb == QLatin1String("list") && rest.isEmpty()) return scheduleList(context);
  if (verb == QLatin1String("add") && rest.size() == 1) return scheduleAdd(context, rest.first());
  if (verb == QLatin1String("remove") && rest.size() == 1) return scheduleRemove(context, rest.first());
  if (verb == QLatin1String("enable")) return scheduleEnable(context, rest);
  if (verb == QLatin1String("disable") && rest.isEmpty()) return scheduleDisable(context);
  return usageError(QStringLiteral("schedule"));
}

}  // namespace tidewell::cli
