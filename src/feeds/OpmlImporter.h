#pragma once

#include "core/AppPaths.h"
#include "core/Result.h"
#include "feeddb/OpmlDocument.h"
#include "feeds/FeedDownloader.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QNetworkAccessManager;

namespace tidewell {

class UserMessages;

// What became of one feed of an imported list.
struct OpmlImportEntry {
  enum class Outcome { Added, Duplicate, Refused };
  Outcome outcome = Outcome::Refused;
  QString category;
  QString name;  // as stored (the feed's own title when it has one)
  QString url;
  QString feedId;  // when added
  QString reason;  // when refused
};

struct OpmlImportReport {
  std::vector<OpmlImportEntry> entries;  // document order
  int count(OpmlImportEntry::Outcome outcome) const;
};

// Subscribes the feeds of an OPML list as the feed dialog would: each URL is
// downloaded and its type and title detected (several at a time, each with
// the dialog's time limit), then the feeds are added in document order to
// their categories (created when missing); a feed its category already holds
// (FeedExists) is skipped. Waits in a local event loop.
class OpmlImporter : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTimeoutMs = 6000;
  static constexpr int kDefaultConcurrency = 8;

  OpmlImporter(const AppPaths& paths, UserMessages& messages, QObject* parent = nullptr);

  void setNetworkManager(QNetworkAccessManager* manager) { manager_ = manager; }
  void setConcurrency(int downloads) { concurrency_ = std::max(1, downloads); }
  void setTimeoutMs(int milliseconds) { timeoutMs_ = milliseconds; }
  // The connectivity test; empty means util::IsConnected.
  void setConnectivityTest(std::function<bool()> test) { isConnected_ = std::move(test); }

  // Fails, changing nothing, when feeds.fdb is unusable, the machine is
  // offline or the import was cancelled while the feeds were being checked;
  // otherwise every feed has its entry in the report.
  Result<OpmlImportReport> Import(const OpmlOutline& outline);

  // Stops an Import in progress: the running downloads are aborted and
  // nothing is added. Safe to call from a slot while Import waits.
  void cancel();
  bool cancelled() const { return cancelled_; }

 signals:
  // checked of total feeds are done (checked, refused or found unreachable).
  void progress(int checked, int total);

 private:
  struct Check {
    QString category;
    OpmlFeed feed;
    bool done = false;
    int type = -1;
    QString title;
    QString reason;
  };

  void validateAll(std::vector<Check>& checks);

  AppPaths paths_;
  UserMessages& messages_;
  QNetworkAccessManager* manager_ = nullptr;
  int concurrency_ = kDefaultConcurrency;
  int timeoutMs_ = kTimeoutMs;
  std::function<bool()> isConnected_;
  bool cancelled_ = false;
  std::function<void()> abortRunning_;
};

}  // namespace tidewell
