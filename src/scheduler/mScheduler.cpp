#include "scheduler/mScheduler.h"

#include "core/Utilities.h"
#include "feeds/FeedFetch.h"
#include "feeds/ItemStore.h"
#include "scheduler/NewItemsNotifier.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace tidewell {

namespace {

// How much of the answers downloaded ahead of their turn may wait in memory:
// while one slow feed holds up the log, the others keep downloading until
// their bodies reach this size.
constexpr qint64 kLookAheadBytes = qint64(32) * 1024 * 1024;

}  // namespace

mScheduler::mScheduler(const AppPaths& paths, mSettings& settings, SchedulerState& state, QObject* parent)
    : QObject(parent), paths_(paths), settings_(settings), state_(state), log_(paths.scheduleLog()) {}

mScheduler::~mScheduler() {
  if (active_) {
    abortAll();
    state_.Running = false;
    state_.inProgress = false;
  }
}

QString mScheduler::notificationLine(const NewItemsEntry& entry) {
  return entry.caption + QStringLiteral(" -- ") + QString::number(entry.count) + QStringLiteral(" New Items");
}

bool mScheduler::start() { return begin(nullptr); }

bool mScheduler::start(const QList<ScheduleEntry>& entries) { return begin(&entries); }

bool mScheduler::RunScheduledCheck() {
  if (!start()) return false;
  QEventLoop loop;
  connect(this, &mScheduler::finished, &loop, &QEventLoop::quit);
  if (active_) loop.exec();
  return true;
}

bool mScheduler::RunScheduledCheck(const QList<ScheduleEntry>& entries) {
  if (!start(entries)) return false;
  QEventLoop loop;
  connect(this, &mScheduler::finished, &loop, &QEventLoop::quit);
  if (active_) loop.exec();
  return true;
}

bool mScheduler::begin(const QList<ScheduleEntry>* entries) {
  if (active_ || state_.inProgress) return false;
  active_ = true;
  state_.inProgress = true;
  explicitEntries_ = entries != nullptr;
  entries_ = entries != nullptr ? *entries : QList<ScheduleEntry>();
  log_.WriteScheduleLog(QString(), true, false);
  // The rest follows from the event loop, so that finished() always comes
  // after start() has returned.
  QTimer::singleShot(0, this, &mScheduler::run);
  return true;
}

void mScheduler::run() {
  // The settings decide the announcement and the concurrency also for a run
  // over given feeds; a damaged schedule list has been reported by the load
  // and what was read of it stays.
  (void)settings_.LoadSchedulerSettings(true);
  settings_.LoadRetentionSettings();
  if (!explicitEntries_) entries_ = settings_.scheduleList;
  if (entries_.isEmpty()) {
    log_.WriteScheduleLog(kLogNoSources);
    log_.WriteScheduleLog(QString(), false, true);
    active_ = false;
    state_.inProgress = false;
    emit finished();
    return;
  }

  state_.summary.clear();
  state_.Running = true;
  const int wanted = concurrencyOverride_ > 0 ? concurrencyOverride_ : settings_.downloadConcurrency;
  concurrency_ = std::clamp(wanted, 1, mSettings::kMaxDownloadConcurrency);
  if (manager_ == nullptr && ownManager_ == nullptr) ownManager_ = new QNetworkAccessManager(this);
  fetches_.assign(static_cast<size_t>(entries_.size()), Fetch());
  next_ = 0;
  current_ = 0;
  inFlight_ = 0;
  heldBytes_ = 0;
  waiting_ = false;
  fill();
  advance();
}

void mScheduler::fill() {
  while (inFlight_ < concurrency_ && next_ < entries_.size() && (next_ == current_ || heldBytes_ < kLookAheadBytes)) {
    startFetch(next_++);
  }
}

void mScheduler::startFetch(int index) {
  Fetch& fetch = fetches_[static_cast<size_t>(index)];
  const ScheduleEntry& entry = entries_[index];
  util::ClearUrlCache(entry.url);
  const bool connected = isConnected_ ? isConnected_() : util::IsConnected();
  if (!connected) {
    fetch.state = Fetch::State::NotConnected;
    return;
  }
  const DownloadOptions options = CheckDownloadOptions(requestFor(entry));
  auto* downloader = new FeedDownloader(manager_ != nullptr ? manager_ : ownManager_, this);
  fetch.downloader = downloader;
  fetch.state = Fetch::State::InFlight;
  ++inFlight_;
  connect(downloader, &FeedDownloader::finished, this,
          [this, index](const DownloadResult& result) { onFetched(index, result); });
  downloader->start(options);
}

void mScheduler::onFetched(int index, const DownloadResult& result) {
  if (!active_ || index >= static_cast<int>(fetches_.size())) return;
  Fetch& fetch = fetches_[static_cast<size_t>(index)];
  if (fetch.state != Fetch::State::InFlight) return;
  fetch.result = result;
  fetch.state = Fetch::State::Done;
  heldBytes_ += fetch.result.body.size();
  releaseDownloader(fetch);
  --inFlight_;
  fill();
  if (waiting_ && index == current_) {
    waiting_ = false;
    completeFeed();
    advance();
  }
}

void mScheduler::advance() {
  for (;;) {
    if (current_ >= entries_.size() || !state_.Running) {
      finishRun();
      return;
    }
    const ScheduleEntry& entry = entries_[current_];
    latestId_ = ItemStore(paths_.itemStore(entry.feedId)).ReadLatestId();
    emit feedStarted(current_, static_cast<int>(entries_.size()), entry.caption);
    log_.WriteScheduleLog(kLogChecking + entry.caption);
    Fetch& fetch = fetches_[static_cast<size_t>(current_)];
    if (fetch.state == Fetch::State::NotConnected) {
      log_.WriteScheduleLog(QString::fromLatin1(kLogNotConnected));
      endFeed();
      continue;
    }
    log_.WriteScheduleLog(QString::fromLatin1(kLogSendingRequest));
    log_.WriteScheduleLog(QString::fromLatin1(kLogRequestSent));
    if (fetch.state != Fetch::State::Done) {
      waiting_ = true;
      return;
    }
    completeFeed();
  }
}

FeedCheckRequest mScheduler::requestFor(const ScheduleEntry& entry) const {
  FeedCheckRequest request;
  request.url = entry.url;
  request.type = feedTypeFromCode(static_cast<qint16>(entry.feedType));
  request.storePath = paths_.itemStore(entry.feedId);
  request.retention =
      RetentionPolicy{settings_.retentionKeep, settings_.retentionDays, settings_.retentionIncludeUnread};
  request.timeoutMs = timeoutMs_;
  request.conditional = true;
  request.lockWaitMs = lockWaitMs_;
  return request;
}

void mScheduler::completeFeed() {
  Fetch& fetch = fetches_[static_cast<size_t>(current_)];
  DownloadResult download = std::move(fetch.result);
  fetch.result = DownloadResult();
  heldBytes_ -= download.body.size();
  const ScheduleEntry& entry = entries_[current_];
  if (!AcceptScheduledDownload(download, log_)) {
    endFeed();
    return;
  }
  if (!download.notModified()) log_.WriteScheduleLog(kLogParsing);
  const FeedCheckResult result = CompleteFeedCheck(requestFor(entry), std::move(download), latestId_);
  switch (result.outcome) {
    case CheckOutcome::NotModified: log_.WriteScheduleLog(kLogNoNewItems); break;
    case CheckOutcome::ParseFailed:
      log_.WriteScheduleLog(ParseFailureLogLine(result.format, result.parseFailure));
      break;
    case CheckOutcome::NoNewItems:
      // A feed without items says nothing more, as it always has.
      if (result.parsedCount > 0) log_.WriteScheduleLog(kLogNoNewItems);
      break;
    case CheckOutcome::NewItems:
      state_.summary.append({entry.caption, result.merge.added, entry.feedId});
      log_.WriteScheduleLog(QStringLiteral("    ") + QString::number(result.merge.added) + kLogNewItemsSuffix);
      break;
    case CheckOutcome::StoreLocked: log_.WriteScheduleLog(kLogStoreLocked); break;
    case CheckOutcome::StoreDamaged: log_.WriteScheduleLog(kLogStoreDamaged); break;
    case CheckOutcome::SaveFailed: log_.WriteScheduleLog(kLogSaveFailed + result.merge.error.description); break;
    // Told by AcceptScheduledDownload above.
    case CheckOutcome::NotConnected:
    case CheckOutcome::Timeout:
    case CheckOutcome::DownloadFailed:
    case CheckOutcome::Aborted: break;
  }
  log_.WriteScheduleLog(kLogDone);
  const bool checked = result.parsed();
  const QString feedId = entry.feedId;
  endFeed();
  if (checked) emit feedChecked(feedId);
}

void mScheduler::endFeed() {
  // A line break as text: with the write's own, two empty lines.
  log_.WriteScheduleLog(QStringLiteral("\r\n"));
  ++current_;
  fill();
}

void mScheduler::finishRun() {
  abortAll();
  log_.WriteScheduleLog(QString(), false, true);
  ShowNewItemsNotification();
  state_.Running = false;
  state_.inProgress = false;
  active_ = false;
  fetches_.clear();
  emit finished();
}

void mScheduler::releaseDownloader(Fetch& fetch) {
  if (fetch.downloader == nullptr) return;
  fetch.downloader->disconnect(this);
  // Released from inside its own signal, so it goes later.
  fetch.downloader->deleteLater();
  fetch.downloader = nullptr;
}

void mScheduler::abortAll() {
  for (Fetch& fetch : fetches_) {
    if (fetch.downloader == nullptr) continue;
    fetch.downloader->disconnect(this);
    fetch.downloader->abort();
    releaseDownloader(fetch);
  }
  inFlight_ = 0;
  waiting_ = false;
}

void mScheduler::ShowNewItemsNotification() {
  if (state_.summary.isEmpty() || settings_.notify != 1) return;
  NewItemsNotification notification;
  notification.autoClose = false;
  notification.canGainFocus = false;
  notification.makeTransparent = true;
  notification.transparencyPercentage = 10;
  notification.playSound = settings_.playSound == 1;
  if (notification.playSound) notification.soundFilePath = settings_.soundFile;
  for (const NewItemsEntry& entry : state_.summary) {
    notification.lines.append(notificationLine(entry));
    notification.feedIds.append(entry.feedId);
  }
  if (notifier_ != nullptr) notifier_->showNewItems(notification);
}

}  // namespace tidewell
