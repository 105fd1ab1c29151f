#include "cli/DiscoverCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "feeds/FeedDownloader.h"
#include "feeds/FeedValidation.h"

namespace tidewell::cli {

namespace {

QString line(const DiscoveredFeed& feed) {
  return QStringList{feed.url, feed.title, discoveredTypeName(feed.type)}.join(QLatin1Char('\t'));
}

}  // namespace

QString discoveredTypeName(int type) {
  switch (type) {
    case 0: return QStringLiteral("rss");
    case 1: return QStringLiteral("atom");
    case 2: return QStringLiteral("podcast");
    default: return QStringLiteral("unknown");
  }
}

int listCandidates(const QList<DiscoveredFeed>& feeds) {
  printErr(QStringLiteral("tidewell-cli: the page offers %1 feeds; run add-feed with one of these:").arg(feeds.size()));
  for (const DiscoveredFeed& feed : feeds) printErr(QStringLiteral("  ") + line(feed));
  return -1;
}

int runDiscover(AppContext& /*context*/, const QStringList& args) {
  if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) return usageError(QStringLiteral("discover"));
  DownloadOptions options;
  options.url = QUrl::fromUserInput(args[0].trimmed());
  const QString scheme = options.url.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
    printErr(QStringLiteral("tidewell-cli: only http and https addresses are looked at"));
    return kExitFailed;
  }
  const DownloadResult result = FeedDownloader::fetchOnce(options);
  if (!result.completed() || result.httpStatus >= 400) {
    // An error page is not the site's page: its links say nothing about feeds.
    printErr(QStringLiteral("tidewell-cli: ") +
             (result.errorMessage.isEmpty() ? QStringLiteral("HTTP %1").arg(result.httpStatus) : result.errorMessage));
    return kExitFailed;
  }
  const FeedDetection detection = DetectFeedType(result.body, result.charset);
  QList<DiscoveredFeed> feeds;
  if (detection.ok() && detection.type >= 0) {
    feeds.append({options.url.toString(), detection.hasTitle ? detection.title.trimmed() : QString(), detection.type});
  } else if (FeedDiscovery::looksLikeHtml(result.body)) {
    const QUrl page = result.finalUrl.isValid() ? result.finalUrl : options.url;
    feeds = FeedDiscovery(nullptr, DownloadOptions().timeoutMs).discover(result.body, page);
  }
  if (feeds.isEmpty()) {
    printErr(QStringLiteral("tidewell-cli: no feed found at ") + args[0]);
    return kExitFailed;
  }
  for (const DiscoveredFeed& feed : feeds) printOut(line(feed));
  return kExitOk;
}

}  // namespace tidewell::cli
