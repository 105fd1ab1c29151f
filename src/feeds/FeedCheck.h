#pragma once

#include "feeddb/FeedType.h"
#include "feeds/FeedDownloader.h"
#include "feeds/FeedParser.h"
#include "feeds/ItemStore.h"
#include "feeds/RetentionPolicy.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QNetworkAccessManager;

namespace tidewell {

// One check of one feed for new items, the same for every caller (the
// viewer, the scheduled check, the command line): connectivity, a download
// (conditional when asked), the parser the feed's type names, and the merge
// into its item store under the store's lock. How the outcome reaches the
// user (a box, a log line, stderr) is the caller's.
struct FeedCheckRequest {
  QString url;
  FeedType type = FeedType::RSS;
  QString storePath;
  // The limits of a feed without its own choice.
  RetentionPolicy retention;
  int timeoutMs = 10000;
  // Send the validators of the last whole answer, so an unchanged feed
  // answers 304 (the scheduled check and the command line do).
  bool conditional = false;
  // Where the body of a completed download is copied ("Debug.xml"); empty: nowhere.
  QString debugXmlPath;
  // How long the merge waits for another writer of the store (tests shorten it).
  int lockWaitMs = 10000;
};

enum class CheckOutcome {
  NewItems,        // merge.added items stored
  NoNewItems,      // parsed, nothing new (parsedCount may be 0)
  NotModified,     // the server answered 304
  NotConnected,    // the connectivity test failed; nothing was sent
  Timeout,         // no complete answer in time
  DownloadFailed,  // a fault that leaves nothing to parse (download.errorMessage)
  Aborted,         // abort() was called
  ParseFailed,     // parseFailure says how
  StoreLocked,     // another writer held the store
  StoreDamaged,    // the store is not an item store; nothing was added
  SaveFailed,      // merge.error says why; nothing was added
};

struct FeedCheckResult {
  CheckOutcome outcome = CheckOutcome::NoNewItems;
  DownloadResult download;
  FeedFormat format = FeedFormat::Rss;
  ParseFailure parseFailure = ParseFailure::None;
  int parsedCount = 0;
  MergeResult merge;
  // The address the body's relative links were resolved against.
  QUrl base;

  bool stored() const { return outcome == CheckOutcome::NewItems; }
  // An answer arrived and went on to the parser (whatever it made of it).
  bool answered() const {
    return outcome != CheckOutcome::NotConnected && outcome != CheckOutcome::Timeout &&
           outcome != CheckOutcome::DownloadFailed && outcome != CheckOutcome::Aborted;
  }
  // The parser's verdict is known (an answer arrived and was read).
  bool parsed() const {
    return outcome == CheckOutcome::NewItems || outcome == CheckOutcome::NoNewItems ||
           outcome == CheckOutcome::StoreLocked || outcome == CheckOutcome::StoreDamaged ||
           outcome == CheckOutcome::SaveFailed;
  }
};

// The download a check makes: the address, the time limit and, for a
// conditional check of a store that still knows its latest item, the stored
// validators.
DownloadOptions CheckDownloadOptions(const FeedCheckRequest& request);

// What follows a finished download: the parse by the feed's type and the
// merge. latestId is what the caller last saw (the store's own wins).
FeedCheckResult CompleteFeedCheck(const FeedCheckRequest& request, DownloadResult download, const QString& latestId,
                                  const QDateTime& now = QDateTime::currentDateTimeUtc());

// The whole check, asynchronously: start() returns at once and finished()
// always follows later, once.
class FeedCheck : public QObject {
  Q_OBJECT

 public:
  // isConnected: the connectivity test (empty means util::IsConnected).
  explicit FeedCheck(QNetworkAccessManager* manager, std::function<bool()> isConnected = {}, QObject* parent = nullptr);
  ~FeedCheck() override;

  // False (and nothing started) while a check is running.
  bool start(const FeedCheckRequest& request);
  void abort();
  bool isRunning() const { return running_; }

 signals:
  // An answer arrived and goes on to the parser.
  void parsing();
  void finished(const tidewell::FeedCheckResult& result);

 private:
  void onDownloaded(const DownloadResult& result);
  void finish(FeedCheckResult result);

  QNetworkAccessManager* manager_;
  std::function<bool()> isConnected_;
  QPointer<FeedDownloader> downloader_;
  FeedCheckRequest request_;
  QString latestId_;
  bool running_ = false;
};

}  // namespace tidewell
