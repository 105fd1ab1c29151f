#include "feeds/FeedFetch.h"

#include "core/UserMessages.h"
#include "core/Utilities.h"
#include "feeds/LogSink.h"

#include <QSaveFile>

namespace tidewell {

namespace {

const char* const kDownloadFailedTitle = "Download Failed!";

// A fault that leaves nothing worth parsing. Network failures are not among
// them: whatever arrived (perhaps nothing) goes on and the parser judges it,
// as with any other answer.
bool stopsDownload(DownloadError error) {
  return error == DownloadError::TooLarge || error == DownloadError::Tls || error == DownloadError::Redirect ||
         error == DownloadError::Aborted;
}

}  // namespace

void WriteDebugXml(const QString& path, const QByteArray& body) {
  if (path.isEmpty()) return;
  // Unbuffered and the counts checked: on a full disk the old copy stays
  // rather than commit() renaming a truncated one into place.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
  if (file.write(body) != body.size() || file.write("\n", 1) != 1) {
    file.cancelWriting();
    return;
  }
  file.commit();
}

bool AcceptViewerDownload(const DownloadResult& result, UserMessages& messages) {
  if (!stopsDownload(result.error)) return true;
  if (result.error != DownloadError::Aborted) {
    messages.showMessage(QStringLiteral("Application failed to fetch Feed Data! ") + result.errorMessage,
                         QString::fromLatin1(kDownloadFailedTitle), MessageIcon::Exclamation);
  }
  return false;
}

bool AcceptScheduledDownload(const DownloadResult& result, LogSink& log) {
  if (result.error == DownloadError::Timeout) {
    log.writeLine(QString::fromLatin1(kLogServerTimeout));
    return false;
  }
  if (!stopsDownload(result.error)) return true;
  log.writeLine(QStringLiteral("--> Error: Application failed to fetch Feed Data! ") + result.errorMessage);
  return false;
}

}  // namespace tidewell
