#include "cli/IconCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "cli/SubscribedFeeds.h"
#include "feeds/FeedIconFetch.h"
#include "feeds/FeedIcons.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>

#include <algorithm>

namespace tidewell::cli {

namespace {

FeedIconResult fetchIcon(QNetworkAccessManager& manager, const QString& url, const QString& path) {
  FeedIconFetch fetch(&manager);
  FeedIconResult result;
  QEventLoop loop;
  QObject::connect(&fetch, &FeedIconFetch::finished, &loop, [&](const FeedIconResult& ended) {
    result = ended;
    loop.quit();
  });
  fetch.start({url, path, 10000});
  loop.exec();
  return result;
}

int runFetch(AppContext& context, const QStringList& ids) {
  const std::optional<std::vector<SubscribedFeed>> feeds = subscribedFeeds(context);
  if (!feeds) return kExitFailed;
  std::vector<SubscribedFeed> chosen;
  for (const QString& id : ids) {
    auto found = std::find_if(feeds->begin(), feeds->end(), [&](const SubscribedFeed& feed) { return feed.id == id; });
    if (found == feeds->end()) {
      printErr(QStringLiteral("tidewell-cli: icons: no feed has the id ") + id);
      return kExitFailed;
    }
    chosen.push_back(*found);
  }
  if (ids.isEmpty()) chosen = *feeds;
  QNetworkAccessManager manager;
  for (const SubscribedFeed& feed : chosen) {
    QJsonObject line{{QStringLiteral("id"), feed.id}, {QStringLiteral("name"), feed.name}};
    if (!FeedIcons::usableId(feed.id)) {
      line.insert(QStringLiteral("reason"), QStringLiteral("the feed's id cannot name a file"));
    } else {
      const QString path = context.paths.feedIcon(feed.id);
      const FeedIconResult result = fetchIcon(manager, feed.url, path);
      if (result.found) {
        line.insert(QStringLiteral("icon"), result.iconUrl.toString());
        line.insert(QStringLiteral("path"), path);
      } else {
        line.insert(QStringLiteral("reason"), result.reason);
      }
    }
    printOut(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
  }
  return kExitOk;
}

}  // namespace

int runIcons(AppContext& context, const QStringList& args) {
  if (args.value(0) == QLatin1String("fetch")) return runFetch(context, args.mid(1));
  return usageError(QStringLiteral("icons"));
}

}  // namespace tidewell::cli
