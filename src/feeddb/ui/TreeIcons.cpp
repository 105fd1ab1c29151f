#include "feeddb/ui/TreeIcons.h"

#include "app/AppContext.h"
#include "feeddb/ui/CategoryTreeWidget.h"

#include <QNetworkAccessManager>
#include <QTreeWidgetItemIterator>

namespace tidewell {

TreeIcons::TreeIcons(AppContext& context, CategoryTreeWidget& tree, QNetworkAccessManager* manager)
    : QObject(&tree),
      tree_(tree),
      ownManager_(manager ? nullptr : std::make_unique<QNetworkAccessManager>()),
      icons_(context.paths, manager ? manager : ownManager_.get()) {
  connect(&tree_, &CategoryTreeWidget::reloaded, this, &TreeIcons::onReloaded);
  connect(&icons_, &FeedIcons::fetched, this, [this](const QString& feedId, const FeedIconResult& result) {
    if (result.found) tree_.showFeedIcon(feedId);
  });
  onReloaded();
}

TreeIcons::~TreeIcons() = default;

void TreeIcons::feedChecked(const QString& feedId) {
  const QTreeWidgetItem* node = tree_.findKey(feedId);
  if (CategoryTreeWidget::isFeed(node)) icons_.request(feedId, CategoryTreeWidget::tagOf(node));
}

void TreeIcons::onReloaded() {
  if (tree_.rootItem() == nullptr) return;  // not loaded yet
  QSet<QString> ids;
  for (QTreeWidgetItemIterator it(&tree_); *it; ++it) {
    if (!CategoryTreeWidget::isFeed(*it)) continue;
    const QString id = CategoryTreeWidget::keyOf(*it);
    ids.insert(id);
    // The feeds of the first load wait for their first check.
    if (loaded_ && !known_.contains(id)) icons_.request(id, CategoryTreeWidget::tagOf(*it));
  }
  known_ = ids;
  loaded_ = true;
}

}  // namespace tidewell
