#pragma once

#include "core/AppPaths.h"
#include "feeds/FeedCheck.h"
#include "feeds/FeedDownloader.h"
#include "scheduler/ScheduleLog.h"
#include "scheduler/SchedulerState.h"
#include "settings/mSettings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QNetworkAccessManager;

namespace tidewell {

class NewItemsNotifier;

// One scheduled check: every feed of the schedule list is downloaded,
// parsed, its new items stored and every step logged in schedule.log; at the
// end the feeds with new items are announced.
//
// Feeds are downloaded ahead of their turn (up to the settings' concurrency
// at once, each with its own time limit) and sent with the validators of
// their last answer, but they are processed, stored and logged strictly one
// after the other in list order, so the log reads exactly as for a run that
// fetches one feed at a time. The run never blocks the event loop: start()
// returns at once and finished() follows; RunScheduledCheck() waits for it in
// a local event loop.
class mScheduler : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTimeoutMs = 10000;

  static inline const QString kLogNoSources = QStringLiteral("No Feed Sources found Configured for Schduled check!");
  static inline const QString kLogChecking = QStringLiteral("Checking ");
  static inline const QString kLogParsing = QStringLiteral("    Parsing Feed content ...");
  static inline const QString kLogNoNewItems = QStringLiteral("    No New Items found!");
  static inline const QString kLogNewItemsSuffix = QStringLiteral(" New Items found!");
  static inline const QString kLogDone = QStringLiteral("    Done!");
  // A check whose new items could not be stored says so instead of counting them.
  static inline const QString kLogStoreLocked =
      QStringLiteral("--> Error: Feed Data file is in use by another check. New Items were not stored!");
  static inline const QString kLogStoreDamaged =
      QStringLiteral("--> Error: Feed Data file is damaged. New Items were not stored!");
  static inline const QString kLogSaveFailed = QStringLiteral("--> Error: Failed to save the Feed Data file! ");

  mScheduler(const AppPaths& paths, mSettings& settings, SchedulerState& state, QObject* parent = nullptr);
  ~mScheduler() override;

  // The announcement's window; none: nothing is shown.
  void setNotifier(NewItemsNotifier* notifier) { notifier_ = notifier; }
  // A manager shared with the rest of the program; none: the run makes its own.
  void setNetworkManager(QNetworkAccessManager* manager) { manager_ = manager; }
  // The connectivity test; empty means util::IsConnected.
  void setConnectivityTest(std::function<bool()> test) { isConnected_ = std::move(test); }
  // Each download's time limit (tests shorten it).
  void setTimeoutMs(int milliseconds) { timeoutMs_ = milliseconds; }
  // How long a merge waits for another writer of a store (tests shorten it).
  void setLockWaitMs(int milliseconds) { lockWaitMs_ = milliseconds; }
  // Downloads in flight at once; 0 takes the settings' value.
  void setConcurrency(int downloads) { concurrencyOverride_ = downloads; }

  // RunScheduledCheck's asynchronous form over the schedule list of
  // AppCfg.cfg. False (and nothing written) when a run is in progress.
  bool start();
  // The same run over the given feeds instead of the schedule list; the
  // settings still decide the announcement and the concurrency.
  bool start(const QList<ScheduleEntry>& entries);

  // One complete run; returns when every feed is done, keeping the event
  // loop running meanwhile. False when a run was already in progress.
  bool RunScheduledCheck();
  bool RunScheduledCheck(const QList<ScheduleEntry>& entries);

  bool isActive() const { return active_; }

  // Announces the summary of the run through the notifier when it has
  // entries and announcements are on (alr = 1), with the sound when snd = 1.
  void ShowNewItemsNotification();

  void WriteScheduleLog(const QString& text, bool startBlock = false, bool finishBlock = false) const {
    log_.WriteScheduleLog(text, startBlock, finishBlock);
  }
  const ScheduleLog& log() const { return log_; }

  // "Caption -- 3 New Items".
  static QString notificationLine(const NewItemsEntry& entry);

 signals:
  // A feed's turn began (index from 0 in the run's list of count feeds).
  void feedStarted(int index, int count, const QString& caption);
  // A feed's answer was read as a feed (whether or not it had new items).
  void feedChecked(const QString& feedId);
  void finished();

 private:
  struct Fetch {
    enum class State { Waiting, InFlight, Done, NotConnected };
    State state = State::Waiting;
    FeedDownloader* downloader = nullptr;
    DownloadResult result;
  };

  bool begin(const QList<ScheduleEntry>* entries);
  void run();
  void fill();
  void startFetch(int index);
  void onFetched(int index, const DownloadResult& result);
  void advance();
  FeedCheckRequest requestFor(const ScheduleEntry& entry) const;
  void completeFeed();
  void endFeed();
  void finishRun();
  void releaseDownloader(Fetch& fetch);
  void abortAll();

  AppPaths paths_;
  mSettings& settings_;
  SchedulerState& state_;
  ScheduleLog log_;
  NewItemsNotifier* notifier_ = nullptr;
  QNetworkAccessManager* manager_ = nullptr;
  QNetworkAccessManager* ownManager_ = nullptr;
  std::function<bool()> isConnected_;
  int timeoutMs_ = kTimeoutMs;
  int lockWaitMs_ = 10000;
  int concurrencyOverride_ = 0;

  bool active_ = false;
  QList<ScheduleEntry> entries_;
  bool explicitEntries_ = false;
  std::vector<Fetch> fetches_;
  int concurrency_ = 1;
  int next_ = 0;          // the next feed to start downloading
  int current_ = 0;       // the feed whose turn it is
  int inFlight_ = 0;      // downloads running
  qint64 heldBytes_ = 0;  // bodies downloaded ahead and not yet processed
  bool waiting_ = false;
  QString latestId_;
};

}  // namespace tidewell
