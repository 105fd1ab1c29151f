#include "feeds/FeedIconFetch.h"

#include "feeds/FeedIconImage.h"
#include "feeds/HtmlElements.h"

#include <QTimer>

namespace tidewell {

namespace {

bool answeredOk(const DownloadResult& result) {
  return result.completed() && result.httpStatus >= 200 && result.httpStatus < 300;
}

QString failureOf(const DownloadResult& result, qint64 maxBytes) {
  // The downloader's own text speaks of a feed's limit.
  if (result.error == DownloadError::TooLarge) return QStringLiteral("more than %1 KiB").arg(maxBytes / 1024);
  if (!result.completed()) return result.errorMessage;
  return QStringLiteral("HTTP %1").arg(result.httpStatus);
}

}  // namespace

FeedIconFetch::FeedIconFetch(QNetworkAccessManager* manager, QObject* parent) : QObject(parent), downloader_(manager) {
  connect(&downloader_, &FeedDownloader::finished, this, &FeedIconFetch::onDownloaded);
}

bool FeedIconFetch::start(const FeedIconRequest& request) {
  if (running_) return false;
  running_ = true;
  request_ = request;
  page_ = QUrl();
  pageDone_ = false;
  faviconsAdded_ = false;
  candidates_.clear();
  tried_.clear();
  failures_.clear();
  const QUrl feed(request.feedUrl);
  if (!HtmlElements::isWeb(feed)) {
    // finished() never fires inside start().
    QTimer::singleShot(0, this, [this] {
      finish({false, {}, QStringLiteral("the feed's address is not a web address")});
    });
    return true;
  }
  download(Step::Feed, feed, kMaxFeedBytes);
  return true;
}

void FeedIconFetch::abort() {
  if (!running_) return;
  downloader_.abort();
}

void FeedIconFetch::download(Step step, const QUrl& url, qint64 maxBytes) {
  step_ = step;
  current_ = url;
  maxBytes_ = maxBytes;
  DownloadOptions options;
  options.url = url;
  options.timeoutMs = request_.timeoutMs;
  options.maxBodyBytes = maxBytes;
  options.maxRedirects = kMaxRedirects;
  downloader_.start(options);
}

void FeedIconFetch::onDownloaded(const DownloadResult& result) {
  if (!running_) return;
  if (result.error == DownloadError::Aborted) {
    finish({false, {}, QStringLiteral("cancelled")});
    return;
  }
  switch (step_) {
    case Step::Feed: onFeed(result); break;
    case Step::Page: onPage(result); break;
    case Step::Picture: onPicture(result); break;
  }
}

void FeedIconFetch::onFeed(const DownloadResult& result) {
  const QUrl feed(request_.feedUrl);
  FeedIconHints hints;
  if (answeredOk(result)) {
    hints = FeedIconSources::fromFeed(result.body, result.charset, result.finalUrl.isEmpty() ? feed : result.finalUrl);
  } else {
    failures_ << current_.toString() + QStringLiteral(" (") + failureOf(result, maxBytes_) + QLatin1Char(')');
  }
  addCandidate(hints.image);
  page_ = hints.site.isEmpty() ? FeedIconSources::siteRoot(feed) : hints.site;
  next();
}

void FeedIconFetch::onPage(const DownloadResult& result) {
  pageDone_ = true;
  if (!answeredOk(result)) {
    failures_ << current_.toString() + QStringLiteral(" (") + failureOf(result, maxBytes_) + QLatin1Char(')');
  } else {
    for (const QUrl& url : FeedIconSources::fromPage(result.body, result.finalUrl.isEmpty() ? page_ : result.finalUrl))
      addCandidate(url);
  }
  next();
}

void FeedIconFetch::onPicture(const DownloadResult& result) {
  QString why;
  if (!answeredOk(result)) {
    why = failureOf(result, maxBytes_);
  } else {
    const FeedIconImage::Decoded decoded = FeedIconImage::decode(result.body);
    if (!decoded.ok()) {
      why = decoded.error;
    } else if (!FeedIconImage::save(FeedIconImage::normalise(decoded.image), request_.iconPath)) {
      why = QStringLiteral("the icon could not be saved to ") + request_.iconPath;
    } else {
      finish({true, current_, {}});
      return;
    }
  }
  failures_ << current_.toString() + QStringLiteral(" (") + why + QLatin1Char(')');
  next();
}

void FeedIconFetch::addCandidate(const QUrl& url) {
  if (url.isEmpty() || tried_.contains(url.toString())) return;
  tried_.insert(url.toString());
  candidates_.append(url);
}

void FeedIconFetch::next() {
  if (!candidates_.isEmpty()) {
    download(Step::Picture, candidates_.takeFirst(), FeedIconImage::kMaxBytes);
    return;
  }
  if (!pageDone_ && !page_.isEmpty()) {
    download(Step::Page, page_, kMaxPageBytes);
    return;
  }
  if (!faviconsAdded_) {
    faviconsAdded_ = true;
    addCandidate(FeedIconSources::favicon(page_));
    addCandidate(FeedIconSources::favicon(QUrl(request_.feedUrl)));
    if (!candidates_.isEmpty()) {
      next();
      return;
    }
  }
  finish({false, {}, QStringLiteral("no icon found: ") + failures_.join(QStringLiteral("; "))});
}

void FeedIconFetch::finish(FeedIconResult result) {
  running_ = false;
  emit finished(result);
}

}  // namespace tidewell
