#pragma once

#include "feeds/FeedDiscovery.h"
#include "feeds/FeedDownloader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;

namespace tidewell {

class DownloadCancel;
class UserMessages;

enum class DetectFailure { None, InvalidXml, NotSupported };

// What a feed document is: ".//rss" (type 2 when its channel has an
// itunes:summary, else 0), else ".//feed" (1), else an element named exactly
// "rdf" (2 or 0), else an RSS 1.0 root rdf:RDF (2 or 0), else not supported. The title is the text of the matching
// title node (rss/channel/title, feed/title, rdf/channel/title, rdf:RDF/channel/title).
struct FeedDetection {
  DetectFailure failure = DetectFailure::None;
  int type = -1;  // 0, 1, 2 or -1
  bool hasTitle = false;
  QString title;
  // CheckFeed: where the feed was found when the address given was a web
  // page offering it; empty when the address itself is the feed.
  QString feedUrl;
  // For InvalidXml: where the document stopped being XML.
  QString xmlError;

  bool ok() const { return failure == DetectFailure::None; }
};

// The feed dialog's texts, shared with the OPML import, which gives them as
// the reasons for a refused feed.
inline constexpr const char* kCheckFeedOfflineText =
    "Application attempted to fetch Feed data to test Feed URL but failed to access Internet connection on this "
    "machine. Please make sure that you're connected to Internet and Firewall application (if any) is configured "
    "properly to grant Internet Access for this application.";
inline constexpr const char* kCheckFeedOfflineTitle = "Failed to access Internet!";
inline constexpr const char* kCheckFeedTimeoutText =
    "Server did not respond in timely manner. Application failed to access Feed data. Server may be down right now, "
    "please try again later.";
inline constexpr const char* kCheckFeedTimeoutTitle = "Timeout Error!";
inline constexpr const char* kCheckFeedInvalidText =
    "Feed data returned by specified URL is not in a valid format. Please check URL and try again ...";
inline constexpr const char* kCheckFeedInvalidTitle = "Invalid Feed Data Format!";
inline constexpr const char* kCheckFeedUnsupportedText =
    "Format of data returned by specified Feed URL is not supported by current version of application. Please "
    "specify RSS 2.0 or ATOM 1.0 type Feed that may include PodCast media information.";
inline constexpr const char* kCheckFeedUnsupportedTitle = "Feed Type Not Supported!";

// The reason added to "Invalid Feed Data Format!": a malformed address, an
// unreachable server, an error status, no data, a web page or bad XML.
QString InvalidFeedReason(const QUrl& url, const DownloadResult& result, const QString& xmlError = {});

FeedDetection DetectFeedType(const QByteArray& data, const QString& charset = {});

struct CheckFeedRequest {
  QString url;
  QString debugXmlPath;  // where a valid document is copied ("Debug.xml"); empty: nowhere
  int timeoutMs = 6000;
  std::function<bool()> isConnected;  // empty means util::IsConnected
  QNetworkAccessManager* manager = nullptr;
  // A web page offering several feeds: the index of the one to take, or -1
  // for none (validation then ends quietly). Empty: none is taken.
  std::function<int(const QList<DiscoveredFeed>&)> chooseFeed;
  // Set by the one who may stop the validation while it waits; a cancelled
  // validation ends quietly, with type -1. Null: it runs to its end.
  DownloadCancel* cancel = nullptr;
};

// CheckFeed: downloads the URL within the time limit and detects the type,
// with the feed dialog's messages ("Failed to access Internet!" with
// Retry/Cancel, "Timeout Error!", "Invalid Feed Data Format!", "Feed Type Not
// Supported!"). An address that gives a web page instead is looked through
// for the feeds it offers (FeedDiscovery): one is taken, several are offered
// through chooseFeed; the messages stay for a page without any. type is -1
// when validation failed or was cancelled.
FeedDetection CheckFeed(const CheckFeedRequest& request, UserMessages& messages);

}  // namespace tidewell
