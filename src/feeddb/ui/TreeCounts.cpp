#include "feeddb/ui/TreeCounts.h"

#include "app/AppContext.h"
#include "core/ui/StarIcon.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeds/ItemIndex.h"

#include <QDir>
#include <QTreeWidgetItemIterator>

namespace tidewell {

TreeCounts::TreeCounts(AppContext& context, CategoryTreeWidget& tree) : QObject(&tree), context_(context), tree_(tree) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &TreeCounts::refresh);
  // Every store is saved by renaming a new file into Data/, which the folder
  // reports; a burst of saves ends in one refresh.
  QDir().mkpath(context_.paths.dataFolder());
  watcher_.addPath(context_.paths.dataFolder());
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { settle_.start(); });
  connect(&tree_, &CategoryTreeWidget::reloaded, this, &TreeCounts::refresh);
  step_.setInterval(0);
  connect(&step_, &QTimer::timeout, this, [this] {
    constexpr int kFeedsPerStep = 8;
    for (int i = 0; i < kFeedsPerStep && !pending_.isEmpty(); ++i) context_.itemIndex.refresh(pending_.takeFirst());
    if (pending_.isEmpty()) {
      step_.stop();
      refresh();  // and forget what the tree no longer has
      return;
    }
    apply();
  });
}

void TreeCounts::refreshInSteps() {
  pending_ = feedIds();
  apply();
  step_.start();
}

QStringList TreeCounts::feedIds() const {
  QStringList ids;
  for (QTreeWidgetItemIterator it(&tree_); *it; ++it) {
    if (CategoryTreeWidget::isFeed(*it)) ids << CategoryTreeWidget::keyOf(*it);
  }
  return ids;
}

void TreeCounts::refresh() {
  settle_.stop();
  if (step_.isActive()) return;  // the steps end with a refresh
  context_.itemIndex.sync(feedIds());
  apply();
}

void TreeCounts::refreshFeed(const QString& feedId) {
  context_.itemIndex.refresh(feedId);
  apply();
}

void TreeCounts::ensureStarredNode() {
  QString text = context_.languages.getMessages(QStringLiteral("MSG_IDX_STARRED"));
  if (text.isEmpty()) text = QStringLiteral("Starred");
  if (QTreeWidgetItem* node = tree_.findKey(CategoryTreeWidget::kStarredKey)) {
    if (node->text(0) != text) node->setText(0, text);  // the language may have changed
    return;
  }
  auto* node = new QTreeWidgetItem(&tree_);
  node->setText(0, text);
  node->setData(0, CategoryTreeWidget::KeyRole, CategoryTreeWidget::kStarredKey);
  node->setIcon(0, StarIcon(true));
  node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

void TreeCounts::apply() {
  ensureStarredNode();
  const QHash<QString, FeedCounts> counts = context_.itemIndex.allCounts();
  int total = 0;
  int starred = 0;
  QTreeWidgetItem* root = tree_.rootItem();
  for (int c = 0; root && c < root->childCount(); ++c) {
    QTreeWidgetItem* category = root->child(c);
    int sum = 0;
    for (int f = 0; f < category->childCount(); ++f) {
      QTreeWidgetItem* feed = category->child(f);
      const FeedCounts feedCounts = counts.value(CategoryTreeWidget::keyOf(feed));
      CategoryTreeWidget::setCount(feed, feedCounts.unread, feedCounts.unread > 0);
      sum += feedCounts.unread;
      starred += feedCounts.starred;
    }
    CategoryTreeWidget::setCount(category, sum, sum > 0);
    total += sum;
  }
  if (root) CategoryTreeWidget::setCount(root, total, total > 0);
  if (QTreeWidgetItem* node = tree_.findKey(CategoryTreeWidget::kStarredKey)) {
    CategoryTreeWidget::setCount(node, starred, false);
  }
  starred_ = starred;
  emit countsShown();
}

}  // namespace tidewell
