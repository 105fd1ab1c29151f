#include "cli/RetentionCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "cli/SubscribedFeeds.h"
#include "feeds/ItemStore.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <utility>
#include <vector>

namespace tidewell::cli {

namespace {

using FeedEntry = SubscribedFeed;

RetentionPolicy defaultPolicy(AppContext& context) {
  context.settings.LoadRetentionSettings();
  return {context.settings.retentionKeep, context.settings.retentionDays, context.settings.retentionIncludeUnread};
}

QJsonObject policyJson(const RetentionPolicy& policy) {
  return {{QStringLiteral("keep"), policy.keepItems},
          {QStringLiteral("days"), policy.keepDays},
          {QStringLiteral("include_unread"), policy.includeUnread}};
}

void printJson(const QJsonObject& object) {
  printOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

// A whole number of at least 0 for --keep and --days.
bool readCount(const QString& text, int& into) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok || value < 0) return false;
  into = value;
  return true;
}

int runSet(AppContext& context, const QStringList& args) {
  QString feedId;
  bool all = false;
  bool useDefault = false;
  RetentionPolicy policy;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--all")) {
      all = true;
    } else if (arg == QLatin1String("--default")) {
      useDefault = true;
    } else if (arg == QLatin1String("--include-unread")) {
      policy.includeUnread = true;
    } else if (arg == QLatin1String("--keep") && i + 1 < args.size()) {
      if (!readCount(args[++i], policy.keepItems)) return usageError(QStringLiteral("retention"));
    } else if (arg == QLatin1String("--days") && i + 1 < args.size()) {
      if (!readCount(args[++i], policy.keepDays)) return usageError(QStringLiteral("retention"));
    } else if (arg.startsWith(QLatin1String("--")) || !feedId.isEmpty()) {
      return usageError(QStringLiteral("retention"));
    } else {
      feedId = arg;
    }
  }
  // Exactly one target; --default only for a feed.
  if (all == !feedId.isEmpty() || (all && useDefault)) return usageError(QStringLiteral("retention"));
  if (all) {
    context.settings.retentionKeep = policy.keepItems;
    context.settings.retentionDays = policy.keepDays;
    context.settings.retentionIncludeUnread = policy.includeUnread;
    return context.settings.SaveRetentionSettings() ? kExitOk : kExitFailed;
  }
  const std::optional<std::vector<FeedEntry>> feeds = subscribedFeeds(context);
  if (!feeds) return kExitFailed;
  bool known = false;
  for (const FeedEntry& feed : *feeds) known = known || feed.id == feedId;
  if (!known) {
    printErr(QStringLiteral("tidewell-cli: retention: no feed has the id ") + feedId);
    return kExitFailed;
  }
  if (!ItemStore(context.paths.itemStore(feedId))
           .WriteRetention(useDefault ? std::nullopt : std::optional<RetentionPolicy>(policy))) {
    printErr(QStringLiteral("tidewell-cli: retention: cannot save the item store of ") + feedId);
    return kExitFailed;
  }
  return kExitOk;
}

int runShow(AppContext& context) {
  const RetentionPolicy fallback = defaultPolicy(context);
  const std::optional<std::vector<FeedEntry>> feeds = subscribedFeeds(context);
  if (!feeds) return kExitFailed;
  QJsonObject line = policyJson(fallback);
  line.insert(QStringLiteral("scope"), QStringLiteral("default"));
  printJson(line);
  for (const FeedEntry& feed : *feeds) {
    const std::optional<RetentionPolicy> own = ItemStore(context.paths.itemStore(feed.id)).ReadRetention();
    line = policyJson(own.value_or(fallback));
    line.insert(QStringLiteral("scope"), QStringLiteral("feed"));
    line.insert(QStringLiteral("id"), feed.id);
    line.insert(QStringLiteral("name"), feed.name);
    line.insert(QStringLiteral("own"), own.has_value());
    printJson(line);
  }
  return kExitOk;
}

}  // namespace

int runRetention(AppContext& context, const QStringList& args) {
  if (args.value(0) == QLatin1String("set")) return runSet(context, args.mid(1));
  if (args.value(0) == QLatin1String("show") && args.size() == 1) return runShow(context);
  return usageError(QStringLiteral("retention"));
}

int runPrune(AppContext& context, const QStringList& args) {
  for (const QString& arg : args) {
    if (arg.startsWith(QLatin1String("--"))) return usageError(QStringLiteral("prune"));
  }
  const RetentionPolicy fallback = defaultPolicy(context);
  QStringList ids = args;
  if (ids.isEmpty()) {
    const std::optional<std::vector<FeedEntry>> feeds = subscribedFeeds(context);
    if (!feeds) return kExitFailed;
    for (const FeedEntry& feed : *feeds) ids << feed.id;
  }
  bool ok = true;
  for (const QString& id : ids) {
    const int removed = ItemStore(context.paths.itemStore(id), fallback).Prune();
    if (removed < 0) {
      printErr(QStringLiteral("tidewell-cli: prune: cannot read or save the item store of ") + id);
      ok = false;
      continue;
    }
    printJson({{QStringLiteral("id"), id}, {QStringLiteral("removed"), removed}});
  }
  return ok ? kExitOk : kExitFailed;
}

}  // namespace tidewell::cli
