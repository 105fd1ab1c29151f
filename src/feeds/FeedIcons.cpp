#include "feeds/FeedIcons.h"

#include <QFileInfo>

namespace tidewell {

FeedIcons::FeedIcons(AppPaths paths, QNetworkAccessManager* manager, QObject* parent)
    : QObject(parent), paths_(std::move(paths)), manager_(manager) {}

FeedIcons::~FeedIcons() = default;

bool FeedIcons::usableId(const QString& feedId) {
  return !feedId.isEmpty() && !feedId.contains(QLatin1Char('/')) && !feedId.contains(QLatin1Char('\\')) &&
         !feedId.contains(QChar()) && feedId != QLatin1String(".") && feedId != QLatin1String("..");
}

QString FeedIcons::iconPath(const QString& feedId) const { return paths_.feedIcon(feedId); }

QString FeedIcons::storedIcon(const AppPaths& paths, const QString& feedId) {
  if (!usableId(feedId)) return {};
  const QString path = paths.feedIcon(feedId);
  return QFileInfo(path).isFile() ? path : QString();
}

bool FeedIcons::hasIcon(const QString& feedId) const { return !storedIcon(paths_, feedId).isEmpty(); }

bool FeedIcons::request(const QString& feedId, const QString& feedUrl) {
  if (!usableId(feedId) || tried_.contains(feedId) || hasIcon(feedId)) return false;
  tried_.insert(feedId);
  queue_.append({feedId, feedUrl});
  pump();
  return true;
}

void FeedIcons::pump() {
  while (!queue_.isEmpty() && static_cast<int>(running_.size()) < kParallel) {
    const QPair<QString, QString> next = queue_.takeFirst();
    const QString id = next.first;
    auto fetch = std::make_unique<FeedIconFetch>(manager_);
    FeedIconFetch* raw = fetch.get();
    connect(raw, &FeedIconFetch::finished, this, [this, raw, id](const FeedIconResult& result) {
      // The fetch is released once its signal has returned.
      for (auto it = running_.begin(); it != running_.end(); ++it) {
        if (it->get() != raw) continue;
        it->release()->deleteLater();
        running_.erase(it);
        break;
      }
      emit fetched(id, result);
      pump();
    });
    running_.push_back(std::move(fetch));
    raw->start({next.second, iconPath(id), timeoutMs_});
  }
}

}  // namespace tidewell
