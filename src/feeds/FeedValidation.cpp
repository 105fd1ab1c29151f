#include "feeds/FeedValidation.h"

#include "core/UserMessages.h"
#include "core/Utilities.h"
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

FeedDetection DetectFeedType(const QByteArray& data, const QString& charset) {
  pugi::xml_document document;
  QByteArray buffer;
  if (!FeedXml::load(document, buffer, data, charset)) {
    FeedDetection detection;
    detection.failure = DetectFailure::InvalidXml;
    return detection;
  }
  return detectIn(document);
}

FeedDetection CheckFeed(const CheckFeedRequest& request, UserMessages& messages) {
  FeedDetection failed;
  failed.failure = DetectFailure::NotSupported;
  for (;;) {
    const bool connected = request.isConnected ? request.isConnected() : util::IsConnected();
    if (connected) break;
    if (!messages.askRetryCancel(
            QStringLiteral("Application attempted to fetch Feed data to test Feed URL but failed to access Internet "
                           "connection on this machine. Please make sure that you're connected to Internet and "
                           "Firewall application (if any) is configured properly to grant Internet Access for this "
                           "application."),
            QStringLiteral("Failed to access Internet!"), MessageIcon::Information)) {
      return failed;
    }
  }
  util::ClearUrlCache(request.url);
  DownloadOptions options;
  options.url = QUrl::fromUserInput(request.url.trimmed());
  options.timeoutMs = request.timeoutMs;
  const DownloadResult result = FeedDownloader::fetchOnce(options, request.manager);
  if (result.error == DownloadError::Timeout) {
    messages.showMessage(QStringLiteral("Server did not respond in timely manner. Application failed to access Feed "
                                        "data. Server may be down right now, please try again later."),
                         QStringLiteral("Timeout Error!"), MessageIcon::Information);
    return failed;
  }
  if (!AcceptViewerDownload(result, messages)) return failed;

  FeedDetection detection = DetectFeedType(result.body, result.charset);
  if (detection.failure == DetectFailure::InvalidXml) {
    messages.showMessage(
        QStringLiteral("Feed data returned by specified URL is not in a valid format. Please check URL "
                       "and try again ..."),
        QStringLiteral("Invalid Feed Data Format!"), MessageIcon::Exclamation);
    detection.type = -1;
    return detection;
  }
  WriteDebugXml(request.debugXmlPath, result.body);
  if (detection.failure == DetectFailure::NotSupported) {
    messages.showMessage(QStringLiteral("Format of data returned by specified Feed URL is not supported by current "
                                        "version of application. Please specify RSS 2.0 or ATOM 1.0 type Feed that may "
                                        "include PodCast media information."),
                         QStringLiteral("Feed Type Not Supported!"), MessageIcon::Information);
    detection.type = -1;
  }
  return detection;
}

}  // namespace tidewell
