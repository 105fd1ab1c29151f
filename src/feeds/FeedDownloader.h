#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace tidewell {

// How one feed request is made.
struct DownloadOptions {
  QUrl url;
  // Whole-request limit (connect, headers and body), in milliseconds.
  int timeoutMs = 10000;
  // Conditional request validators remembered from the previous answer; sent
  // as If-None-Match / If-Modified-Since when not empty.
  QByteArray ifNoneMatch;
  QByteArray ifModifiedSince;
  // A body past this size stops the download with DownloadError::TooLarge.
  qint64 maxBodyBytes = qint64(64) * 1024 * 1024;
  int maxRedirects = 10;
  // Sent as "User-Agent"; empty means "Tidewell/<version>".
  QByteArray userAgent;
};

enum class DownloadError {
  None,      // a complete answer arrived (any HTTP status)
  Timeout,   // no complete answer within timeoutMs
  Network,   // connection refused, reset, host not found ... (body holds what arrived)
  TooLarge,  // the body passed maxBodyBytes
  Tls,       // certificate or handshake failure; never ignored
  Redirect,  // too many redirects, a loop, or https -> http
  Aborted,   // abort() was called
};

// What one request produced. The HTTP status is reported but never judged:
// an error page is a body like any other and goes to the parser.
struct DownloadResult {
  DownloadError error = DownloadError::None;
  QString errorMessage;  // human-readable reason, empty when error is None
  QByteArray body;
  int httpStatus = 0;       // 0 when no HTTP answer arrived
  QString charset;          // from the Content-Type header, lower-case, "" when absent
  QByteArray etag;          // ETag header as sent
  QByteArray lastModified;  // Last-Modified header as sent
  QUrl finalUrl;            // after redirects

  bool completed() const { return error == DownloadError::None; }
  bool notModified() const { return completed() && httpStatus == 304; }
};

// One asynchronous HTTP GET of a feed on Qt Network, with the request headers
// every feed download sends ("Cache-Control: no-cache", "User-Agent"),
// redirects limited and never downgraded from https to http, the system's
// proxy settings, Qt's own gzip/deflate handling, a body cap and a time-out
// of its own (QNetworkReply reports its transfer time-out like an abort, so
// the two are told apart here by a flag).
//
// start() returns at once and finished() fires exactly once per start(); or
// fetch() waits in a local event loop (never a busy loop), so timers and
// windows keep running during the wait. A finished() slot that is done with
// the downloader releases it with deleteLater(), never delete.
class FeedDownloader : public QObject {
  Q_OBJECT

 public:
  // manager may be shared between downloaders (it must outlive them); when
  // null, the downloader owns one of its own.
  explicit FeedDownloader(QNetworkAccessManager* manager = nullptr, QObject* parent = nullptr);
  ~FeedDownloader() override;

  // Starts a request; a running one is aborted first (without finished()).
  void start(const DownloadOptions& options);
  // Cancels the running request; finished() fires with DownloadError::Aborted.
  void abort();
  bool isRunning() const { return reply_ != nullptr; }
  const DownloadResult& result() const { return result_; }

  // start() + waitForFinished().
  DownloadResult fetch(const DownloadOptions& options);
  // Waits in a local event loop until the running request ends (at once when
  // none runs) and gives its result.
  DownloadResult waitForFinished();
  // The same with a downloader of its own on the given (or an own) manager.
  static DownloadResult fetchOnce(const DownloadOptions& options, QNetworkAccessManager* manager = nullptr);

 signals:
  void finished(const tidewell::DownloadResult& result);

 private:
  void onReadyRead();
  void onFinished();
  void onTimeout();
  void fail(DownloadError error, const QString& message);
  void complete();
  void release();

  QNetworkAccessManager* manager_;
  bool ownsManager_ = false;
  QNetworkReply* reply_ = nullptr;
  QTimer timer_;
  DownloadOptions options_;
  DownloadResult result_;
  bool timedOut_ = false;
  bool failing_ = false;
};

// The reason texts DownloadResult::errorMessage uses, also for tests.
QString downloadErrorText(DownloadError error);

}  // namespace tidewell

Q_DECLARE_METATYPE(tidewell::DownloadResult)
