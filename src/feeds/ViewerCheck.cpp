#include "feeds/ViewerCheck.h"

#include "core/RuntimeError.h"
#include "core/UserMessages.h"
#include "core/Utilities.h"
#include "feeds/FeedFetch.h"

namespace tidewell {

ViewerCheck::ViewerCheck(QNetworkAccessManager* manager, std::function<bool()> isConnected, UserMessages& messages,
                         QString programName, QObject* parent)
    : QObject(parent),
      // The connectivity question is asked here; the common check then
      // always finds the machine online.
      check_(manager, [] { return true; }),
      isConnected_(std::move(isConnected)),
      messages_(messages),
      programName_(std::move(programName)) {
  connect(&check_, &FeedCheck::finished, this, &ViewerCheck::onChecked);
  connect(&check_, &FeedCheck::parsing, this, [this] {
    setExecuting(false);
    emit parsing();
  });
}

bool ViewerCheck::start(const FeedCheckRequest& request) {
  if (check_.isRunning()) return false;
  while (!(isConnected_ ? isConnected_() : util::IsConnected())) {
    const bool retry = messages_.askRetryCancel(
        QStringLiteral("Cannot check Feed URL for new Items, Application failed to access Internet on this machine. "
                       "Please make sure you're connected to Internet and Firewall application (if any) is "
                       "configured properly to grant Internet access for ") +
            programName_,
        QStringLiteral("Working Offline?"), MessageIcon::Exclamation);
    if (!retry) return false;
  }
  request_ = request;
  setExecuting(true);
  check_.start(request_);
  return true;
}

void ViewerCheck::abort() { check_.abort(); }

void ViewerCheck::setExecuting(bool executing) {
  if (executing_ == executing) return;
  executing_ = executing;
  emit executingChanged(executing);
}

void ViewerCheck::onChecked(const FeedCheckResult& result) {
  setExecuting(false);
  if (result.outcome == CheckOutcome::Timeout &&
      messages_.askRetryCancel(
          QStringLiteral("Server did not respond in timely manner. Application failed to fetch Feed Data!"),
          QStringLiteral("Server Timeout!"), MessageIcon::Exclamation)) {
    setExecuting(true);
    check_.start(request_);
    return;
  }
  report(result);
  emit finished(result);
}

void ViewerCheck::report(const FeedCheckResult& result) {
  switch (result.outcome) {
    case CheckOutcome::DownloadFailed: (void)AcceptViewerDownload(result.download, messages_); break;
    case CheckOutcome::ParseFailed: ReportParseFailure(result.format, result.parseFailure, messages_); break;
    case CheckOutcome::StoreLocked:
      messages_.showMessage(QString::fromLatin1(kStoreBusyText), QString::fromLatin1(kStoreBusyTitle),
                            MessageIcon::Exclamation);
      break;
    case CheckOutcome::StoreDamaged:
      messages_.showMessage(QStringLiteral("Failed to load the Feed Data file details."),
                            QStringLiteral("Invalid File format!"), MessageIcon::Exclamation);
      break;
    case CheckOutcome::SaveFailed:
      reportRuntimeError(messages_, QStringLiteral("AddNewItemsToList"), 2, result.merge.error);
      break;
    // The time-out had its question; the rest has nothing to say.
    case CheckOutcome::Timeout:
    case CheckOutcome::Aborted:
    case CheckOutcome::NotConnected:
    case CheckOutcome::NotModified:
    case CheckOutcome::NoNewItems:
    case CheckOutcome::NewItems: break;
  }
}

}  // namespace tidewell
