#pragma once

#include "feeds/FeedDownloader.h"

#include <QString>

#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace tidewell {

class LogSink;
class UserMessages;

// The viewer's and the scheduler's way of fetching a feed: the same request,
// differing in how a time-out and other faults reach the user. Both wait in a
// local event loop, so windows and timers keep running during the wait.

// The scheduled check's log lines around a download.
inline constexpr const char* kLogSendingRequest = "    Sending Request to Source Server ...";
inline constexpr const char* kLogRequestSent = "    Request Sent, Waiting for Server Response ...";
inline constexpr const char* kLogNotConnected =
    "--> Error: Application failed to access Internet. Either machine is not connected to Internet or Firewall "
    "blocked application.";
inline constexpr const char* kLogServerTimeout =
    "--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!";

struct ViewerFetchRequest {
  QString url;
  // Where the body of a completed download is copied ("Debug.xml"); empty: nowhere.
  QString debugXmlPath;
  int timeoutMs = 10000;
  // Told true while a request is outstanding and false once the wait ends
  // (the viewer's StillExecuting); may be empty.
  std::function<void(bool)> executingChanged;
  QNetworkAccessManager* manager = nullptr;
};

// FetchFeedData: a completed answer (any HTTP status, possibly an empty body
// after a network failure: the parser judges it), or nullopt when the user
// chose Cancel after "Server Timeout!" or a fault that leaves nothing to parse
// (body too large, TLS failure, refused redirect) was reported.
std::optional<DownloadResult> FetchFeedData(const ViewerFetchRequest& request, UserMessages& messages);

struct ScheduledFetchRequest {
  QString url;
  int timeoutMs = 10000;
  QByteArray ifNoneMatch;
  QByteArray ifModifiedSince;
  // The connectivity test; empty means util::IsConnected.
  std::function<bool()> isConnected;
  QNetworkAccessManager* manager = nullptr;
};

// FetchScheduledFeed: logs "Sending Request ...", "Request Sent ..." and, on
// failure, its error line; nullopt on failure. No retry, no Debug.xml. A 304
// answer is a completed result (notModified()).
std::optional<DownloadResult> FetchScheduledFeed(const ScheduledFetchRequest& request, LogSink& log);

// For callers that run FeedDownloader themselves (several feeds in flight):
// logs the scheduled flavour's line for a failed result (the time-out line,
// or "--> Error: Application failed to fetch Feed Data! <reason>") and
// returns whether the result can go on to the parser.
bool AcceptScheduledDownload(const DownloadResult& result, LogSink& log);

// The viewer flavour's message for a failed result other than a time-out
// (which asks Retry/Cancel instead): "Download Failed!" with the reason for a
// body too large, a TLS failure or a refused redirect. A network failure is
// not one: what arrived (perhaps nothing) goes on to the parser, which says
// "Server returned empty data stream!" or "invalid XML format". Returns
// whether the result can go on.
bool AcceptViewerDownload(const DownloadResult& result, UserMessages& messages);

// Writes the body to path atomically, replacing the file; failures are ignored.
void WriteDebugXml(const QString& path, const QByteArray& body);

}  // namespace tidewell
