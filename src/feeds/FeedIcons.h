#pragma once

#include "core/AppPaths.h"
#include "feeds/FeedIconFetch.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

class QNetworkAccessManager;

namespace tidewell {

// The feeds' icons of one program run: Icons/<feed id>.png in the
// application folder, derived data that is fetched again when missing. A
// feed is tried at most once per run, a few feeds at a time, in the
// background; a failure is only reported through fetched(), never shown.
class FeedIcons : public QObject {
  Q_OBJECT

 public:
  static constexpr int kParallel = 2;

  FeedIcons(AppPaths paths, QNetworkAccessManager* manager, QObject* parent = nullptr);
  ~FeedIcons() override;

  // Whether an id may name a file in the icon folder (ids come from feeds.fdb).
  static bool usableId(const QString& feedId);
  // The file of a feed's stored icon; "" when it has none.
  static QString storedIcon(const AppPaths& paths, const QString& feedId);
  QString iconPath(const QString& feedId) const;
  bool hasIcon(const QString& feedId) const;

  // Queues the feed's fetch unless it has an icon, was tried in this run or
  // is queued already; true when queued.
  bool request(const QString& feedId, const QString& feedUrl);
  bool tried(const QString& feedId) const { return tried_.contains(feedId); }
  bool busy() const { return !queue_.isEmpty() || !running_.empty(); }
  void setTimeoutMs(int milliseconds) { timeoutMs_ = milliseconds; }

 signals:
  // A fetch ended; with result.found the icon file is new.
  void fetched(const QString& feedId, const tidewell::FeedIconResult& result);

 private:
  void pump();

  AppPaths paths_;
  QNetworkAccessManager* manager_;
  int timeoutMs_ = 10000;
  QSet<QString> tried_;
  QList<QPair<QString, QString>> queue_;  // id, URL
  std::vector<std::unique_ptr<FeedIconFetch>> running_;
};

}  // namespace tidewell
