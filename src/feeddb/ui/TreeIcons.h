#pragma once

#include "feeds/FeedIcons.h"

#include <QObject>
#include <QSet>
#include <QString>

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
  TreeIcons(AppContext& context, CategoryTreeWidget& tree, QNetworkAccessManager* manager);

  // A check of this feed ended: it gets an icon when it has none yet.
  void feedChecked(const QString& feedId);
  FeedIcons& icons() { return icons_; }

 private:
  void onReloaded();

  CategoryTreeWidget& tree_;
  FeedIcons icons_;
  QSet<QString> known_;
  bool loaded_ = false;
};

}  // namespace tidewell
