#pragma once

class QNetworkAccessManager;

namespace tidewell {

class FeedDownloader;
struct DownloadOptions;
struct DownloadResult;

// Stops a download that someone else waits for in a local event loop: the
// window that started a validation keeps it and its Cancel button calls
// cancel() while the validation waits. Once cancelled it stays so: every
// later download made through it ends at once as aborted, so a validation
// with several requests (a page and the feeds it offers) stops as a whole.
class DownloadCancel {
 public:
  DownloadCancel() = default;
  DownloadCancel(const DownloadCancel&) = delete;
  DownloadCancel& operator=(const DownloadCancel&) = delete;

  void cancel();
  bool cancelled() const { return cancelled_; }

  // FeedDownloader::fetchOnce that this object can stop; without one (null)
  // the plain download.
  static DownloadResult fetchOnce(DownloadCancel* cancel, const DownloadOptions& options,
                                  QNetworkAccessManager* manager);

 private:
  bool cancelled_ = false;
  FeedDownloader* running_ = nullptr;
};

}  // namespace tidewell
