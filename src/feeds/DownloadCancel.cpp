#include "feeds/DownloadCancel.h"

#include "feeds/FeedDownloader.h"

namespace tidewell {

void DownloadCancel::cancel() {
  cancelled_ = true;
  if (running_) running_->abort();
}

DownloadResult DownloadCancel::fetchOnce(DownloadCancel* cancel, const DownloadOptions& options,
                                         QNetworkAccessManager* manager) {
  if (!cancel) return FeedDownloader::fetchOnce(options, manager);
  if (cancel->cancelled_) {
    DownloadResult aborted;
    aborted.error = DownloadError::Aborted;
    aborted.errorMessage = downloadErrorText(DownloadError::Aborted);
    return aborted;
  }
  FeedDownloader downloader(manager);
  cancel->running_ = &downloader;
  downloader.start(options);
  DownloadResult result = downloader.waitForFinished();
  cancel->running_ = nullptr;
  return result;
}

}  // namespace tidewell
