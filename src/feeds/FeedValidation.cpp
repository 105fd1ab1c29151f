#include "feeds/FeedValidation.h"

#include "core/UserMessages.h"
#include "core/Utilities.h"
#include "feeds/DownloadCancel.h"
#include "feeds/FeedDownloader.h"
#include "feeds/FeedFetch.h"
#include "feeds/FeedXml.h"

#include <cstring>

namespace tidewell {

namespace {

bool isRdfRoot(const pugi::xml_node& root) {
  const char* name = root.name();
  const char* colon = std::strrchr(name, ':');
  return std::strcmp(colon ? colon + 1 : name, "RDF") == 0;
}

FeedDetection detectIn(const pugi::xml_document& document) {
  FeedDetection detection;
  pugi::xml_node titleNode;
  if (FeedXml::findFirst(document, "rss")) {
    detection.type = FeedXml::findPath(document, {"rss", "channel", "itunes:summary"}) ? 2 : 0;
    titleNode = FeedXml::findPath(document, {"rss", "channel", "title"});
  } else if (FeedXml::findFirst(document, "feed")) {
    detection.type = 1;
    titleNode = FeedXml::findPath(document, {"feed", "title"});
  } else if (FeedXml::findFirst(document, "rdf")) {
    detection.type = FeedXml::findPath(document, {"rdf", "channel", "itunes:summary"}) ? 2 : 0;
    titleNode = FeedXml::findPath(document, {"rdf", "channel", "title"});
  } else if (const pugi::xml_node root = document.document_element(); isRdfRoot(root)) {
    // RSS 1.0 (rdf:RDF): the RSS parser reads its items, so it is an RSS feed.
    const pugi::xml_node channel = FeedXml::child(root, "channel");
    detection.type = FeedXml::child(channel, "itunes:summary") ? 2 : 0;
    titleNode = FeedXml::child(channel, "title");
  } else {
    detection.failure = DetectFailure::NotSupported;
    return detection;
  }
  if (titleNode) {
    detection.hasTitle = true;
    detection.title = FeedXml::text(titleNode);
  }
  return detection;
}

}  // namespace

// Why an answer is no feed: a malformed address, a refused connection, an
// error status and a web page all failed alike, and the user could not tell
// which to mend.
QString InvalidFeedReason(const QUrl& url, const DownloadResult& result, const QString& xmlError) {
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    return QStringLiteral("The address is not a valid web address.");
  }
  if (result.error == DownloadError::Network && result.httpStatus == 0) {
    return QStringLiteral("The server could not be reached: ") + result.errorMessage;
  }
  if (result.httpStatus >= 400) {
    return QStringLiteral("The server answered with HTTP status %1.").arg(result.httpStatus);
  }
  if (result.body.trimmed().isEmpty()) return QStringLiteral("The server sent no data.");
  const QByteArray start = result.body.left(512).trimmed().toLower();
  if (start.startsWith("<!doctype html") || start.startsWith("<html") || start.contains("<html")) {
    return QStringLiteral("The address leads to a web page, not to a feed.");
  }
  if (!xmlError.isEmpty()) return QStringLiteral("The data is not well-formed XML: %1.").arg(xmlError);
  return QStringLiteral("The data is not well-formed XML.");
}

FeedDetection DetectFeedType(const QByteArray& data, const QString& charset) {
  pugi::xml_document document;
  QByteArray buffer;
  if (const FeedXml::Load load = FeedXml::load(document, buffer, data, charset); !load) {
    FeedDetection detection;
    detection.failure = DetectFailure::InvalidXml;
    detection.xmlError = load.where();
    return detection;
  }
  return detectIn(document);
}

namespace {

FeedDetection discovered(const DiscoveredFeed& feed) {
  FeedDetection detection;
  detection.type = feed.type;
  detection.hasTitle = !feed.title.isEmpty();
  detection.title = feed.title;
  detection.feedUrl = feed.url;
  return detection;
}

}  // namespace

FeedDetection CheckFeed(const CheckFeedRequest& request, UserMessages& messages) {
  FeedDetection failed;
  failed.failure = DetectFailure::NotSupported;
  for (;;) {
    const bool connected = request.isConnected ? request.isConnected() : util::IsConnected();
    if (connected) break;
    if (!messages.askRetryCancel(QString::fromLatin1(kCheckFeedOfflineText),
                                 QString::fromLatin1(kCheckFeedOfflineTitle), MessageIcon::Information)) {
      return failed;
    }
  }
  util::ClearUrlCache(request.url);
  DownloadOptions options;
  options.url = QUrl::fromUserInput(request.url.trimmed());
  options.timeoutMs = request.timeoutMs;
  const DownloadResult result = DownloadCancel::fetchOnce(request.cancel, options, request.manager);
  // What arrived after the user stopped waiting is not reported to them.
  const auto stopped = [&request] { return request.cancel && request.cancel->cancelled(); };
  if (stopped()) return failed;
  if (result.error == DownloadError::Timeout) {
    messages.showMessage(QString::fromLatin1(kCheckFeedTimeoutText), QString::fromLatin1(kCheckFeedTimeoutTitle),
                         MessageIcon::Information);
    return failed;
  }
  if (!AcceptViewerDownload(result, messages)) return failed;

  FeedDetection detection = DetectFeedType(result.body, result.charset);
  if (!detection.ok() && FeedDiscovery::looksLikeHtml(result.body)) {
    const QUrl page = result.finalUrl.isValid() ? result.finalUrl : options.url;
    const QList<DiscoveredFeed> found =
        FeedDiscovery(request.manager, request.timeoutMs, request.cancel).discover(result.body, page);
    if (stopped()) return failed;
    if (found.size() > 1) {
      const int chosen = request.chooseFeed ? request.chooseFeed(found) : -1;
      if (chosen < 0 || chosen >= found.size()) return failed;
      return discovered(found.at(chosen));
    }
    if (found.size() == 1) return discovered(found.first());
  }
  if (detection.failure == DetectFailure::InvalidXml) {
    messages.showMessage(QString::fromLatin1(kCheckFeedInvalidText) + QStringLiteral("\r\n\r\n") +
                             InvalidFeedReason(options.url, result, detection.xmlError),
                         QString::fromLatin1(kCheckFeedInvalidTitle), MessageIcon::Exclamation);
    detection.type = -1;
    return detection;
  }
  WriteDebugXml(request.debugXmlPath, result.body);
  if (detection.failure == DetectFailure::NotSupported) {
    messages.showMessage(QString::fromLatin1(kCheckFeedUnsupportedText),
                         QString::fromLatin1(kCheckFeedUnsupportedTitle), MessageIcon::Information);
    detection.type = -1;
  }
  return detection;
}

}  // namespace tidewell
