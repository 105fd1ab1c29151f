#pragma once

#include "feeds/FeedDownloader.h"
#include "feeds/FeedIconSources.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

class QNetworkAccessManager;

namespace tidewell {

struct FeedIconRequest {
  QString feedUrl;
  QString iconPath;  // where the icon's PNG goes
  // Each download's limit: the feed, the home page, every picture tried.
  int timeoutMs = 10000;
};

struct FeedIconResult {
  bool found = false;
  QUrl iconUrl;    // the picture the icon was made from
  QString reason;  // why there is none (what was tried and how it failed)
};

// Finds and stores one feed's icon, asynchronously: the feed's own picture
// (RSS image, ATOM icon or logo), else the icons its site's home page names,
// else /favicon.ico of the site (and of the feed's host). Every download
// goes through FeedDownloader with a size cap, the time limit and few
// redirects; the first answer that decodes as an icon is scaled and saved.
// start() returns at once; finished() follows once.
class FeedIconFetch : public QObject {
  Q_OBJECT

 public:
  static constexpr qint64 kMaxFeedBytes = qint64(16) << 20;
  static constexpr qint64 kMaxPageBytes = qint64(2) << 20;
  static constexpr int kMaxRedirects = 5;

  explicit FeedIconFetch(QNetworkAccessManager* manager, QObject* parent = nullptr);

  // False (nothing started) while a fetch runs.
  bool start(const FeedIconRequest& request);
  void abort();
  bool isRunning() const { return running_; }

 signals:
  void finished(const tidewell::FeedIconResult& result);

 private:
  enum class Step { Feed, Page, Picture };

  void download(Step step, const QUrl& url, qint64 maxBytes);
  void onDownloaded(const DownloadResult& result);
  void onFeed(const DownloadResult& result);
  void onPage(const DownloadResult& result);
  void onPicture(const DownloadResult& result);
  void next();
  void addCandidate(const QUrl& url);
  void finish(FeedIconResult result);

  FeedDownloader downloader_;
  FeedIconRequest request_;
  Step step_ = Step::Feed;
  QUrl current_;
  qint64 maxBytes_ = 0;
  QUrl page_;
  bool pageDone_ = false;
  bool faviconsAdded_ = false;
  QList<QUrl> candidates_;
  QSet<QString> tried_;
  QStringList failures_;
  bool running_ = false;
};

}  // namespace tidewell

Q_DECLARE_METATYPE(tidewell::FeedIconResult)
