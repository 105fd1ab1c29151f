#pragma once

#include "feeds/FeedIcons.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class QNetworkAccessManager;

namespace tidewell {

struct AppContext;
class CategoryTreeWidget;

// Brings the sites' icons into the tree: a feed that appears in the tree
// (added in the feed dialog, imported from a list) and a feed checked while
// it has no icon get one fetched in the background, once per run; a fetched
// icon shows at once.
class TreeIcons : public QObject {
  Q_OBJECT

 public:
  // manager must outlive this object; none: it uses one of its own (the
  // tree lives as long as its window, longer than the window's own manager).
  TreeIcons(AppContext& context, CategoryTreeWidget& tree, QNetworkAccessManager* manager = nullptr);
  ~TreeIcons() override;

  // A check of this feed ended: it gets an icon when it has none yet.
  void feedChecked(const QString& feedId);
  FeedIcons& icons() { return icons_; }

 private:
  void onReloaded();

  CategoryTreeWidget& tree_;
  std::unique_ptr<QNetworkAccessManager> ownManager_;  // before icons_: it outlives their downloads
  FeedIcons icons_;
  QSet<QString> known_;
  bool loaded_ = false;
};

}  // namespace tidewell
