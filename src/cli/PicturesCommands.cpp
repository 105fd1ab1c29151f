#include "cli/PicturesCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "cli/SubscribedFeeds.h"
#include "feeds/FeedOptions.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tidewell::cli {

namespace {

void printJson(const QJsonObject& object) {
  printOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

int runSet(AppContext& context, const QStringList& args) {
  if (args.size() != 2) return usageError(QStringLiteral("pictures"));
  const QString& feedId = args[0];
  const QString& choice = args[1];
  std::optional<bool> load;
  if (choice == QLatin1String("on")) {
    load = true;
  } else if (choice == QLatin1String("off")) {
    load = false;
  } else if (choice != QLatin1String("default")) {
    return usageError(QStringLiteral("pictures"));
  }
  const std::optional<std::vector<SubscribedFeed>> feeds = subscribedFeeds(context);
  if (!feeds) return kExitFailed;
  bool known = false;
  for (const SubscribedFeed& feed : *feeds) known = known || feed.id == feedId;
  if (!known) {
    printErr(QStringLiteral("tidewell-cli: pictures: no feed has the id ") + feedId);
    return kExitFailed;
  }
  if (!FeedOptions(context.paths.itemStore(feedId)).setRemotePictures(load)) {
    printErr(QStringLiteral("tidewell-cli: pictures: cannot save the item store of ") + feedId);
    return kExitFailed;
  }
  return kExitOk;
}

int runShow(AppContext& context) {
  context.settings.LoadAppSettings();
  const bool fallback = context.settings.remotePictures != 0;
  const std::optional<std::vector<SubscribedFeed>> feeds = subscribedFeeds(context);
  if (!feeds) return kExitFailed;
  printJson({{QStringLiteral("scope"), QStringLiteral("default")}, {QStringLiteral("load"), fallback}});
  for (const SubscribedFeed& feed : *feeds) {
    const std::optional<bool> own = FeedOptions(context.paths.itemStore(feed.id)).remotePictures();
    printJson({{QStringLiteral("scope"), QStringLiteral("feed")},
               {QStringLiteral("id"), feed.id},
               {QStringLiteral("name"), feed.name},
               {QStringLiteral("load"), own.value_or(fallback)},
               {QStringLiteral("own"), own.has_value()}});
  }
  return kExitOk;
}

}  // namespace

int runPictures(AppContext& context, const QStringList& args) {
  if (args.value(0) == QLatin1String("set")) return runSet(context, args.mid(1));
  if (args.value(0) == QLatin1String("show") && args.size() == 1) return runShow(context);
  return usageError(QStringLiteral("pictures"));
}

}  // namespace tidewell::cli
