#include "feeddb/ui/CategoryTreeWidget.h"

#include "app/AppContext.h"
#include "core/Utilities.h"
#include "feeddb/FeedType.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeddb/ui/TreeHost.h"
#include "feeds/FeedIcons.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStyledItemDelegate>

namespace tidewell {

namespace {

// Routes a finished label edit through the tree's rules instead of writing
// the typed text straight into the node.
class LabelEditDelegate : public QStyledItemDelegate {
 public:
  explicit LabelEditDelegate(CategoryTreeWidget* tree) : QStyledItemDelegate(tree), tree_(tree) {}

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    if (QTreeWidgetItem* item = tree_->itemFromIndex(index)) tree_->AfterLabelEdit(item, line->text());
  }

 protected:
  // The count is drawn after the name, never stored in it: renames, moves
  // and the feed records keep reading the plain name.
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const int count = index.data(CategoryTreeWidget::CountRole).toInt();
    if (count > 0) option->text += QStringLiteral(" (%1)").arg(count);
  }

 private:
  CategoryTreeWidget* tree_;
};

QString quoted(const QString& text) { return QStringLiteral("\"") + text + QStringLiteral("\""); }

}  // namespace

CategoryTreeWidget::CategoryTreeWidget(AppContext& context, TreeHost& host, QWidget* parent)
    : QTreeWidget(parent), context_(context), host_(host) {
  setObjectName(QStringLiteral("tvCategories"));
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setIconSize(QSize(16, 16));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setItemDelegate(new LabelEditDelegate(this));
  header()->setStretchLastSection(true);

  connect(this, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { host_.setNewFeedEnabled(item && !isRoot(item)); });
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { openNode(item); });
}

void CategoryTreeWidget::setCount(QTreeWidgetItem* item, int count, bool bold) {
  if (item->data(0, CountRole).toInt() != count) item->setData(0, CountRole, count);
  QFont font = item->font(0);
  if (font.bold() != bold) {
    font.setBold(bold);
    item->setFont(0, font);
  }
}

QString CategoryTreeWidget::shownText(const QTreeWidgetItem* item) {
  const int count = item->data(0, CountRole).toInt();
  return count > 0 ? item->text(0) + QStringLiteral(" (%1)").arg(count) : item->text(0);
}

void CategoryTreeWidget::keyPressEvent(QKeyEvent* event) {
  QTreeWidgetItem* item = selectedNode();
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && item) {
    if (keyOf(item) == kStarredKey) {
      emit starredNodeOpened();
    } else {
      openNode(item);
    }
    return;
  }
  if (event->matches(QKeySequence::Delete) && item && (isFeed(item) || isCategory(item))) {
    emit deleteRequested(item);
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

QString CategoryTreeWidget::keyOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, KeyRole).toString() : QString();
}
QString CategoryTreeWidget::tagOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, TagRole).toString() : QString();
}
int CategoryTreeWidget::imageOf(const QTreeWidgetItem* item) { return item ? item->data(0, ImageRole).toInt() : 0; }
bool CategoryTreeWidget::isRoot(const QTreeWidgetItem* item) { return item && CategoryTree::isRootKey(keyOf(item)); }
bool CategoryTreeWidget::isFeed(const QTreeWidgetItem* item) { return item && CategoryTree::isFeedKey(keyOf(item)); }
bool CategoryTreeWidget::isCategory(const QTreeWidgetItem* item) {
  return item && item->parent() && isRoot(item->parent());
}

FeedRecord CategoryTreeWidget::recordOf(const QTreeWidgetItem* feedItem) {
  FeedRecord record;
  record.name = feedItem->text(0);
  record.category = feedItem->parent() ? feedItem->parent()->text(0) : QString();
  record.id = keyOf(feedItem);
  record.type = feedTypeOfImage(imageOf(feedItem));
  record.url = tagOf(feedItem);
  return record;
}

QIcon CategoryTreeWidget::imageIcon(int image) {
  switch (image) {
    case 1: return QIcon(QStringLiteral(":/icons/tree-root.png"));
    case 2: return QIcon(QStringLiteral(":/icons/tree-category.png"));
    case 4: return QIcon(QStringLiteral(":/icons/tree-atom.png"));
    case 5: return QIcon(QStringLiteral(":/icons/tree-podcast.png"));
    default: return QIcon(QStringLiteral(":/icons/tree-rss.png"));
  }
}

QIcon CategoryTreeWidget::feedIcon(const QString& feedId, int image) const {
  const QString path = FeedIcons::storedIcon(context_.paths, feedId);
  if (!path.isEmpty()) {
    const QImage stored(path);
    if (!stored.isNull()) {
      QIcon icon;
      icon.addPixmap(QPixmap::fromImage(stored));
      icon.addPixmap(QPixmap::fromImage(stored.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
      return icon;
    }
  }
  return imageIcon(image);
}

void CategoryTreeWidget::showFeedIcon(const QString& feedId) {
  QTreeWidgetItem* item = findKey(feedId);
  if (!isFeed(item)) return;
  item->setIcon(0, feedIcon(feedId, imageOf(item)));
}

void CategoryTreeWidget::addNode(QTreeWidgetItem* parent, const CategoryNode& node) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, node.text);
  item->setData(0, KeyRole, node.key);
  item->setData(0, TagRole, node.tag);
  item->setData(0, ImageRole, node.image);
  item->setIcon(0, CategoryTree::isFeedKey(node.key) ? feedIcon(node.key, node.image) : imageIcon(node.image));
  item->setToolTip(0, node.tag.isEmpty() ? node.text : node.tag);
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!CategoryTree::isRootKey(node.key)) flags |= Qt::ItemIsEditable;
  if (CategoryTree::isFeedKey(node.key)) flags |= Qt::ItemIsDragEnabled;
  if (!CategoryTree::isFeedKey(node.key) && !CategoryTree::isRootKey(node.key)) flags |= Qt::ItemIsDropEnabled;
  item->setFlags(flags);
  for (const CategoryNode& child : node.children) addNode(item, child);
}

void CategoryTreeWidget::LoadCategories() {
  const QString selectedKey = keyOf(selectedNode());
  CategoryTree model;
  mCategories(context_.paths, context_.messages).LoadCategories(model);
  setUpdatesEnabled(false);
  clear();
  addNode(nullptr, model.root());
  if (QTreeWidgetItem* root = rootItem()) {
    root->setExpanded(true);
    for (int i = 0; i < root->childCount(); ++i) root->child(i)->setExpanded(true);
  }
  retranslate();
  if (QTreeWidgetItem* again = findKey(selectedKey)) setCurrentItem(again);
  setUpdatesEnabled(true);
  emit reloaded();
}

void CategoryTreeWidget::retranslate() {
  if (QTreeWidgetItem* root = rootItem()) {
    const QString text = context_.languages.getMessages(QStringLiteral("MSG_WND_ROOT"));
    root->setText(0, text);
    root->setToolTip(0, text);
  }
}

QTreeWidgetItem* CategoryTreeWidget::findKey(const QString& key) const {
  if (key.isEmpty()) return nullptr;
  for (QTreeWidgetItemIterator it(const_cast<CategoryTreeWidget*>(this)); *it; ++it) {
    if (keyOf(*it) == key) return *it;
  }
  return nullptr;
}

QTreeWidgetItem* CategoryTreeWidget::selectedNode() const {
  const QList<QTreeWidgetItem*> items = selectedItems();
  return items.isEmpty() ? currentItem() : items.first();
}

bool CategoryTreeWidget::beginRename() {
  QTreeWidgetItem* item = selectedNode();
  if (!item || isRoot(item)) return false;
  editItem(item, 0);
  return true;
}

bool CategoryTreeWidget::AfterLabelEdit(QTreeWidgetItem* item, const QString& newText) {
  if (!item || isRoot(item)) return false;
  const QString current = item->text(0);
  if (util::IsBlank(newText)) return false;
  if (newText.compare(current, Qt::CaseInsensitive) == 0) return false;
  mCategories categories(context_.paths, context_.messages);
  if (categories.CategoryExists(newText)) {
    context_.messages.showMessage(
        QStringLiteral("Category with same Name already exists. Try some other Category Name ..."),
        QStringLiteral("Category Exists!"), MessageIcon::Exclamation);
    return false;
  }
  if (isFeed(item)) {
    FeedRecord record = recordOf(item);
    record.name = newText;
    // A feed the file did not take keeps its stored name on screen too.
    if (!mFeeds(context_.paths, context_.messages).EditFeed(record, false)) return false;
    item->setText(0, newText);
    host_.feedRenamed(record.id, newText);
    return true;
  }
  if (!categories.EditCategory(current, newText)) {
    context_.messages.showMessage(QStringLiteral("Application failed to access Category named ") + quoted(current) +
                                      QStringLiteral(" in database. Edit operation failed. Please Refresh Category "
                                                     "tree and try again ..."),
                                  QStringLiteral("Alert!"), MessageIcon::Exclamation);
    return false;
  }
  item->setText(0, newText);
  return true;
}

void CategoryTreeWidget::openNode(QTreeWidgetItem* item) {
  if (item && keyOf(item) == kStarredKey) {
    emit starredNodeOpened();
    return;
  }
  if (!item || !isFeed(item) || !item->parent()) return;
  const QString url = tagOf(item);
  if (!host_.IsFeedOpen(url, true)) {
    host_.OpenFeedWindow(item->text(0), keyOf(item), url, feedTypeCode(feedTypeOfImage(imageOf(item))), true);
  }
}

void CategoryTreeWidget::mousePressEvent(QMouseEvent* event) {
  if (QTreeWidgetItem* item = itemAt(event->position().toPoint())) setCurrentItem(item);
  QTreeWidget::mousePressEvent(event);
}

void CategoryTreeWidget::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  if (event->button() != Qt::RightButton) return;
  QTreeWidgetItem* item = selectedNode();
  if (!item || isRoot(item)) return;
  const QPoint globalPos = event->globalPosition().toPoint();
  if (isFeed(item)) {
    host_.popupFeedMenu(globalPos);
  } else if (isCategory(item)) {
    host_.popupCategoryMenu(globalPos);
  }
}

void CategoryTreeWidget::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F2 && !event->isAutoRepeat()) {
    beginRename();
    return;
  }
  QTreeWidget::keyReleaseEvent(event);
}

bool CategoryTreeWidget::beginFeedDrag(QTreeWidgetItem* item) {
  if (!isFeed(item) || !item->parent()) {
    dragged_.reset();
    return false;
  }
  dragged_ = recordOf(item);
  return true;
}

bool CategoryTreeWidget::acceptsDrop(const QTreeWidgetItem* target) const { return isCategory(target); }

void CategoryTreeWidget::dropDraggedFeedOn(QTreeWidgetItem* target) {
  if (!dragged_ || !acceptsDrop(target)) return;
  const FeedRecord moving = *dragged_;
  const QString targetName = target->text(0);
  if (targetName == moving.category) return;
  const QString question = QStringLiteral("Are you sure you want to move selected Feed from ") +
                           quoted(moving.category) + QStringLiteral(" to ") + quoted(targetName) +
                           QStringLiteral(" category?");
  if (!context_.messages.askYesNo(question, QStringLiteral("Change Category?"))) return;
  mFeeds feeds(context_.paths, context_.messages);
  FeedRecord atTarget = moving;
  atTarget.category = targetName;
  if (feeds.FeedExists(atTarget)) {
    context_.messages.showMessage(
        QStringLiteral("Feed with same URL already exists under category ") + quoted(targetName) + QStringLiteral("."),
        QStringLiteral("Feed already Exists!"), MessageIcon::Information);
    return;
  }
  if (feeds.EditFeed(moving, true, targetName)) {
    dragged_.reset();
    LoadCategories();
  }
}

void CategoryTreeWidget::startDrag(Qt::DropActions) {
  QTreeWidgetItem* item = selectedNode();
  if (!beginFeedDrag(item)) return;
  auto* mime = new QMimeData;
  mime->setData(kFeedMimeType, dragged_->id.toUtf8());
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  drag->setPixmap(item->icon(0).pixmap(16, 16));
  drag->exec(Qt::MoveAction);
}

void CategoryTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this && event->mimeData()->hasFormat(kFeedMimeType)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void CategoryTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  if (event->source() == this && acceptsDrop(target)) {
    setCurrentItem(target);
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
  }
}

void CategoryTreeWidget::dropEvent(QDropEvent* event) {
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  // The tree is rebuilt on a move: the view must not move rows itself.
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
  if (event->source() != this || !acceptsDrop(target)) return;
  // The question and the rebuild run once the drag has fully ended.
  const QString targetKey = keyOf(target);
  QMetaObject::invokeMethod(
      this, [this, targetKey] { dropDraggedFeedOn(findKey(targetKey)); }, Qt::QueuedConnection);
}

}  // namespace tidewell
