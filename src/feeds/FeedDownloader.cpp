#include "feeds/FeedDownloader.h"

#include "core/AppIdentity.h"
#include "core/NetworkProxy.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace tidewell {

namespace {

QString charsetOf(const QByteArray& contentType) {
  for (const QByteArray& part : contentType.split(';')) {
    const QByteArray trimmed = part.trimmed();
    if (trimmed.toLower().startsWith("charset=")) {
      QByteArray value = trimmed.mid(8).trimmed();
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) value = value.mid(1, value.size() - 2);
      return QString::fromLatin1(value).trimmed().toLower();
    }
  }
  return {};
}

// Errors Qt raises for an HTTP status: the answer itself arrived and is handed on.
bool isHttpStatusError(QNetworkReply::NetworkError error) {
  const int code = static_cast<int>(error);
  return (code >= QNetworkReply::ContentAccessDenied && code <= QNetworkReply::UnknownContentError) ||
         (code >= QNetworkReply::InternalServerError && code <= QNetworkReply::UnknownServerError) ||
         error == QNetworkReply::ProtocolInvalidOperationError;
}

}  // namespace

QString downloadErrorText(DownloadError error) {
  switch (error) {
    case DownloadError::None: return {};
    case DownloadError::Timeout: return QStringLiteral("The server did not answer in time.");
    case DownloadError::Network: return QStringLiteral("The connection to the server failed.");
    case DownloadError::TooLarge:
      return QStringLiteral("The server sent more than 64 MiB of Feed data; the download was stopped.");
    case DownloadError::Tls: return QStringLiteral("The secure connection to the server could not be verified.");
    case DownloadError::Redirect:
      return QStringLiteral("The server redirected too often or from a secure to an insecure address.");
    case DownloadError::Aborted: return QStringLiteral("The download was cancelled.");
  }
  return {};
}

FeedDownloader::FeedDownloader(QNetworkAccessManager* manager, QObject* parent) : QObject(parent), manager_(manager) {
  // Qt leaves the system's proxy settings unused unless asked once; a proxy
  // the user set by hand has been applied before.
  NetworkProxy::useSystemUnlessChosen();
  if (manager_ == nullptr) {
    manager_ = new QNetworkAccessManager(this);
    ownsManager_ = true;
  }
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &FeedDownloader::onTimeout);
}

FeedDownloader::~FeedDownloader() { release(); }

void FeedDownloader::start(const DownloadOptions& options) {
  release();
  options_ = options;
  result_ = DownloadResult();
  timedOut_ = false;
  failing_ = false;

  QNetworkRequest request(options.url);
  request.setRawHeader("Cache-Control", "no-cache");
  request.setRawHeader("User-Agent", options.userAgent.isEmpty()
                                         ? QByteArray("Tidewell/") + AppIdentity().version.toUtf8()
                                         : options.userAgent);
  if (!options.ifNoneMatch.isEmpty()) request.setRawHeader("If-None-Match", options.ifNoneMatch);
  if (!options.ifModifiedSince.isEmpty()) request.setRawHeader("If-Modified-Since", options.ifModifiedSince);
  // Accept-Encoding is left to Qt: setting it turns off Qt's own decompression.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(options.maxRedirects);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
  // The limit is this class's own: QNetworkRequest's transfer time-out looks like an abort.
  request.setTransferTimeout(0);

  reply_ = manager_->get(request);
  connect(reply_, &QNetworkReply::readyRead, this, &FeedDownloader::onReadyRead);
  connect(reply_, &QNetworkReply::finished, this, &FeedDownloader::onFinished);
  connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
    if (!reply_) return;
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (length.isValid() && length.toLongLong() > options_.maxBodyBytes && (status < 300 || status >= 400)) {
      fail(DownloadError::TooLarge, downloadErrorText(DownloadError::TooLarge));
    }
  });
  timer_.start(std::max(1, options.timeoutMs));
}

void FeedDownloader::onReadyRead() {
  if (!reply_ || failing_) return;
  const qint64 available = reply_->bytesAvailable();
  if (result_.body.size() + available > options_.maxBodyBytes) {
    fail(DownloadError::TooLarge, downloadErrorText(DownloadError::TooLarge));
    return;
  }
  result_.body.append(reply_->readAll());
}

void FeedDownloader::onTimeout() {
  if (!reply_) return;
  timedOut_ = true;
  reply_->abort();
}

void FeedDownloader::fail(DownloadError error, const QString& message) {
  if (!reply_ || failing_) return;
  failing_ = true;
  result_.error = error;
  result_.errorMessage = message;
  reply_->abort();
}

void FeedDownloader::abort() {
  if (!reply_) return;
  fail(DownloadError::Aborted, downloadErrorText(DownloadError::Aborted));
}

void FeedDownloader::onFinished() {
  QNetworkReply* reply = reply_;
  if (reply == nullptr) return;
  timer_.stop();
  if (!failing_ && reply->bytesAvailable() > 0) onReadyRead();

  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  result_.httpStatus = status.isValid() ? status.toInt() : 0;
  result_.charset = charsetOf(reply->rawHeader("Content-Type"));
  result_.etag = reply->rawHeader("ETag");
  result_.lastModified = reply->rawHeader("Last-Modified");
  result_.finalUrl = reply->url();

  const QNetworkReply::NetworkError error = reply->error();
  if (failing_) {
    // Already decided: too large or aborted by the caller.
  } else if (timedOut_) {
    result_.error = DownloadError::Timeout;
    result_.errorMessage = downloadErrorText(DownloadError::Timeout);
  } else if (error == QNetworkReply::NoError || (status.isValid() && isHttpStatusError(error))) {
    result_.error = DownloadError::None;
    // Qt at times reports a connection reset mid-body as success; the
    // announced length tells (it counts the bytes on the wire, so only
    // without a content encoding).
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (length.isValid() && (encoding.isEmpty() || encoding == "identity") && result_.httpStatus != 304 &&
        result_.body.size() < length.toLongLong()) {
      result_.error = DownloadError::Network;
      result_.errorMessage =
          downloadErrorText(DownloadError::Network) + QStringLiteral(" (the connection closed after %1 of %2 bytes)")
                                                          .arg(result_.body.size())
                                                          .arg(length.toLongLong());
    }
  } else if (error == QNetworkReply::TooManyRedirectsError || error == QNetworkReply::InsecureRedirectError) {
    result_.error = DownloadError::Redirect;
    result_.errorMessage =
        downloadErrorText(DownloadError::Redirect) + QStringLiteral(" (") + reply->errorString() + QLatin1Char(')');
  } else if (error == QNetworkReply::SslHandshakeFailedError) {
    result_.error = DownloadError::Tls;
    result_.errorMessage =
        downloadErrorText(DownloadError::Tls) + QStringLiteral(" (") + reply->errorString() + QLatin1Char(')');
  } else if (error == QNetworkReply::OperationCanceledError) {
    result_.error = DownloadError::Aborted;
    result_.errorMessage = downloadErrorText(DownloadError::Aborted);
  } else {
    result_.error = DownloadError::Network;
    result_.errorMessage =
        downloadErrorText(DownloadError::Network) + QStringLiteral(" (") + reply->errorString() + QLatin1Char(')');
  }
  if (result_.error == DownloadError::TooLarge) result_.body.clear();
  release();
  const DownloadResult result = result_;
  emit finished(result);
}

void FeedDownloader::release() {
  timer_.stop();
  if (QNetworkReply* reply = reply_) {
    reply_ = nullptr;
    reply->disconnect(this);
    if (reply->isRunning()) reply->abort();
    reply->deleteLater();
  }
}

DownloadResult FeedDownloader::fetch(const DownloadOptions& options) {
  start(options);
  return waitForFinished();
}

DownloadResult FeedDownloader::waitForFinished() {
  if (isRunning()) {
    QEventLoop loop;
    const auto connection = connect(this, &FeedDownloader::finished, &loop, &QEventLoop::quit);
    loop.exec();
    disconnect(connection);
  }
  return result_;
}

DownloadResult FeedDownloader::fetchOnce(const DownloadOptions& options, QNetworkAccessManager* manager) {
  FeedDownloader downloader(manager);
  return downloader.fetch(options);
}

}  // namespace tidewell
