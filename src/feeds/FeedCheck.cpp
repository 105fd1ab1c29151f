#include "feeds/FeedCheck.h"

#include "core/Utilities.h"
#include "feeds/FeedFetch.h"

#include <QTimer>

namespace tidewell {

namespace {

CheckOutcome outcomeOfFault(StoreFault fault) {
  switch (fault) {
    case StoreFault::Locked: return CheckOutcome::StoreLocked;
    case StoreFault::Damaged: return CheckOutcome::StoreDamaged;
    case StoreFault::SaveFailed: return CheckOutcome::SaveFailed;
    case StoreFault::None: break;
  }
  return CheckOutcome::NoNewItems;
}

}  // namespace

DownloadOptions CheckDownloadOptions(const FeedCheckRequest& request) {
  DownloadOptions options;
  options.url = QUrl::fromUserInput(request.url);
  options.timeoutMs = request.timeoutMs;
  if (!request.conditional) return options;
  // A store without a latest id has lost its items' history: fetch it whole.
  const ItemStore store(request.storePath);
  const CacheValidators validators = store.ReadCacheValidators();
  if ((!validators.etag.isEmpty() || !validators.lastModified.isEmpty()) && !util::IsBlank(store.ReadLatestId())) {
    options.ifNoneMatch = validators.etag;
    options.ifModifiedSince = validators.lastModified;
  }
  return options;
}

FeedCheckResult CompleteFeedCheck(const FeedCheckRequest& request, DownloadResult download, const QString& latestId,
                                  const QDateTime& now) {
  FeedCheckResult result;
  result.format = request.type == FeedType::ATOM ? FeedFormat::Atom : FeedFormat::Rss;
  result.download = std::move(download);
  const DownloadResult& answer = result.download;
  switch (answer.error) {
    case DownloadError::Timeout: result.outcome = CheckOutcome::Timeout; return result;
    case DownloadError::Aborted: result.outcome = CheckOutcome::Aborted; return result;
    case DownloadError::TooLarge:
    case DownloadError::Tls:
    case DownloadError::Redirect: result.outcome = CheckOutcome::DownloadFailed; return result;
    // Whatever arrived after a network failure (perhaps nothing) goes on to
    // the parser, which judges it as any other answer.
    case DownloadError::Network:
    case DownloadError::None: break;
  }
  WriteDebugXml(request.debugXmlPath, answer.body);
  if (answer.notModified()) {
    result.outcome = CheckOutcome::NotModified;
    return result;
  }
  result.base = answer.finalUrl.isEmpty() ? QUrl::fromUserInput(request.url.trimmed()) : answer.finalUrl;
  const ParseResult parsed = ParseFeedItems(feedTypeCode(request.type), answer.body, answer.charset, result.base);
  result.parseFailure = parsed.failure;
  if (!parsed.ok()) {
    result.outcome = CheckOutcome::ParseFailed;
    return result;
  }
  result.parsedCount = parsed.count();
  result.outcome = CheckOutcome::NoNewItems;
  if (parsed.items.empty()) return result;

  // Validators are kept only from a whole, readable answer.
  const CacheValidators validators{answer.etag, answer.lastModified};
  const bool keepValidators = request.conditional && answer.httpStatus == 200 &&
                              (!validators.etag.isEmpty() || !validators.lastModified.isEmpty());
  ItemStore store(request.storePath, request.retention);
  store.setLockWaitMs(request.lockWaitMs);
  result.merge = store.MergeNewItems(parsed.items, latestId, keepValidators ? &validators : nullptr, now);
  if (result.merge.fault != StoreFault::None) {
    result.outcome = outcomeOfFault(result.merge.fault);
  } else if (result.merge.added > 0) {
    result.outcome = CheckOutcome::NewItems;
  }
  return result;
}

FeedCheck::FeedCheck(QNetworkAccessManager* manager, std::function<bool()> isConnected, QObject* parent)
    : QObject(parent), manager_(manager), isConnected_(std::move(isConnected)) {}

FeedCheck::~FeedCheck() {
  if (downloader_) {
    downloader_->disconnect(this);
    downloader_->abort();
  }
}

bool FeedCheck::start(const FeedCheckRequest& request) {
  if (running_) return false;
  running_ = true;
  request_ = request;
  util::ClearUrlCache(request.url);
  const bool connected = isConnected_ ? isConnected_() : util::IsConnected();
  if (!connected) {
    FeedCheckResult result;
    result.outcome = CheckOutcome::NotConnected;
    QTimer::singleShot(0, this, [this, result]() mutable { finish(std::move(result)); });
    return true;
  }
  latestId_ = ItemStore(request.storePath).ReadLatestId();
  auto* downloader = new FeedDownloader(manager_, this);
  downloader_ = downloader;
  connect(downloader, &FeedDownloader::finished, this, &FeedCheck::onDownloaded);
  downloader->start(CheckDownloadOptions(request));
  return true;
}

void FeedCheck::abort() {
  if (downloader_) downloader_->abort();
}

void FeedCheck::onDownloaded(const DownloadResult& result) {
  if (downloader_) {
    downloader_->disconnect(this);
    // Released from inside its own signal, so it goes later.
    downloader_->deleteLater();
    downloader_ = nullptr;
  }
  const bool toParser = (result.completed() && !result.notModified()) || result.error == DownloadError::Network;
  if (toParser) emit parsing();
  finish(CompleteFeedCheck(request_, result, latestId_));
}

void FeedCheck::finish(FeedCheckResult result) {
  running_ = false;
  emit finished(result);
}

}  // namespace tidewell
