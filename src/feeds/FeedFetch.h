#pragma once

#include "feeds/FeedDownloader.h"

#include <QString>

namespace tidewell {

class LogSink;
class UserMessages;

// How a finished download reaches the user in the viewer's and in the
// scheduled check's flavour.

// The scheduled check's log lines around a download.
inline constexpr const char* kLogSendingRequest = "    Sending Request to Source Server ...";
inline constexpr const char* kLogRequestSent = "    Request Sent, Waiting for Server Response ...";
inline constexpr const char* kLogNotConnected =
    "--> Error: Application failed to access Internet. Either machine is not connected to Internet or Firewall "
    "blocked application.";
inline constexpr const char* kLogServerTimeout =
    "--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!";

// Logs the scheduled flavour's line for a failed result (the time-out line,
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
