#include "feeds/ui/ViewerReading.h"

#include "app/AppContext.h"
#include "core/ui/StarIcon.h"
#include "feeds/FeedReading.h"
#include "feeds/ItemIndex.h"
#include "feeds/ui/PreviewBrowser.h"
#include "feeds/ui/ViewerHost.h"
#include "feeds/ui/frmViewFeed.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>

namespace tidewell {

namespace {

QString refKey(const QString& id, int occurrence) { return id + QLatin1Char('#') + QString::number(occurrence); }

ItemRef refOf(const QTreeWidgetItem* row) {
  return {row->data(frmViewFeed::ColTitle, frmViewFeed::IdRole).toString(),
          row->data(frmViewFeed::ColTitle, frmViewFeed::OccurrenceRole).toInt()};
}

bool isUnread(const QTreeWidgetItem* row) { return row->data(frmViewFeed::ColTitle, frmViewFeed::UnreadRole).toBool(); }

}  // namespace

ViewerReading::ViewerReading(frmViewFeed& viewer, AppContext& context, ViewerHost& host)
    : QObject(&viewer), viewer_(viewer), context_(context), host_(host) {}

QWidget* ViewerReading::wrapList(QTreeWidget* list) {
  auto* box = new QWidget(&viewer_);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  filter_ = new QLineEdit(box);
  filter_->setObjectName(QStringLiteral("txtFilter"));
  filter_->setClearButtonEnabled(true);
  filter_->setPlaceholderText(context_.languages.getMessages(QStringLiteral("MSG_IDX_FILTER")));
  layout->addWidget(filter_);
  layout->addWidget(list);
  connect(filter_, &QLineEdit::textChanged, this, &ViewerReading::applyFilter);
  // Down from the filter box goes on into the list.
  filter_->installEventFilter(this);
  list->installEventFilter(this);
  // After the selection has moved (a mouse press moves the current row first).
  connect(list, &QTreeWidget::itemSelectionChanged, this, [this] { followSelection(viewer_.selectedRow()); });
  // A press on the star cell stars the row without selecting (and so
  // without reading) it.
  list_ = list;
  viewport_ = list->viewport();
  viewport_->installEventFilter(this);
  return box;
}

void ViewerReading::decorate(QTreeWidgetItem* row) const {
  const bool starred = row->data(frmViewFeed::ColTitle, frmViewFeed::StarRole).toBool();
  row->setIcon(frmViewFeed::ColStar, StarIcon(starred));
}

void ViewerReading::afterLoad() {
  if (filter_ && !filter_->text().trimmed().isEmpty()) applyFilter();
  if (firstUnreadPending_) {
    firstUnreadPending_ = false;
    selectFirstUnread();
  }
  if (itemPending_) {
    const ItemRef item = *itemPending_;
    itemPending_.reset();
    selectItem(item);
  }
}

void ViewerReading::changed() { emit viewer_.itemsChanged(viewer_.FeedID()); }

void ViewerReading::followSelection(QTreeWidgetItem* current) {
  if (!current) return;
  followed_ = current;
  host_.enableSendByEmail();
  viewer_.ShowItemPreview();
}

bool ViewerReading::consumeFollowed(const QTreeWidgetItem* row) {
  const bool was = row && row == followed_;
  followed_ = nullptr;
  return was;
}

void ViewerReading::toggleStar(QTreeWidgetItem* row) {
  if (!row) return;
  const bool starred = !row->data(frmViewFeed::ColTitle, frmViewFeed::StarRole).toBool();
  FeedReading reading(context_.paths, context_.itemIndex, context_.messages);
  if (!reading.SetStarred(viewer_.FeedID(), refOf(row), starred)) return;
  row->setData(frmViewFeed::ColTitle, frmViewFeed::StarRole, starred);
  decorate(row);
  changed();
}

void ViewerReading::markAllRead() {
  FeedReading reading(context_.paths, context_.itemIndex, context_.messages);
  if (reading.MarkAllRead({viewer_.FeedID()}) < 0) return;
  QTreeWidget* list = viewer_.lstItems();
  for (int i = 0; i < list->topLevelItemCount(); ++i) viewer_.setRowRead(list->topLevelItem(i), true);
  changed();
}

void ViewerReading::markSelectedUnread() {
  QTreeWidgetItem* row = viewer_.selectedRow();
  if (!row) return;
  FeedReading reading(context_.paths, context_.itemIndex, context_.messages);
  if (!reading.SetRead(viewer_.FeedID(), refOf(row), false)) return;
  viewer_.setRowRead(row, false);
  changed();
}

QTreeWidgetItem* ViewerReading::nextUnreadFrom(QTreeWidgetItem* start, bool includeStart) const {
  QTreeWidget* list = viewer_.lstItems();
  QTreeWidgetItem* row = start;
  if (!row) {
    row = list->topLevelItemCount() > 0 ? list->topLevelItem(0) : nullptr;
    includeStart = true;
  }
  if (row && !includeStart) row = list->itemBelow(row);
  for (; row; row = list->itemBelow(row)) {
    if (!row->isHidden() && isUnread(row)) return row;
  }
  return nullptr;
}

bool ViewerReading::selectNextUnread(bool acrossFeeds) {
  if (QTreeWidgetItem* next = nextUnreadFrom(viewer_.selectedRow(), false)) {
    viewer_.lstItems()->setCurrentItem(next);
    viewer_.lstItems()->scrollToItem(next);
    return true;
  }
  // Unread rows above the selection come first, then the other feeds.
  if (QTreeWidgetItem* first = nextUnreadFrom(nullptr, true)) {
    viewer_.lstItems()->setCurrentItem(first);
    viewer_.lstItems()->scrollToItem(first);
    return true;
  }
  if (acrossFeeds) host_.nextUnreadAfter(viewer_.FeedID());
  return false;
}

bool ViewerReading::selectFirstUnread() {
  QTreeWidgetItem* first = nextUnreadFrom(nullptr, true);
  if (!first) return false;
  viewer_.lstItems()->setCurrentItem(first);
  viewer_.lstItems()->scrollToItem(first);
  return true;
}

bool ViewerReading::selectItem(const ItemRef& item) {
  QTreeWidget* list = viewer_.lstItems();
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = list->topLevelItem(i);
    const ItemRef ref = refOf(row);
    if (ref.id != item.id || ref.occurrence != item.occurrence) continue;
    if (row->isHidden() && filter_) filter_->clear();
    list->setCurrentItem(row);
    list->scrollToItem(row);
    return true;
  }
  return false;
}

void ViewerReading::reloadStored() {
  if (viewer_.loading_ || viewer_.stillExecuting_) return;
  QTreeWidgetItem* selected = viewer_.selectedRow();
  const std::optional<ItemRef> keep = selected ? std::optional<ItemRef>(refOf(selected)) : std::nullopt;
  QTreeWidget* list = viewer_.lstItems();
  const QSignalBlocker quiet(list);
  viewer_.LoadStoredItems();
  if (!keep) return;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const ItemRef ref = refOf(list->topLevelItem(i));
    if (ref.id == keep->id && ref.occurrence == keep->occurrence) {
      list->setCurrentItem(list->topLevelItem(i));
      break;
    }
  }
}

void ViewerReading::setSort(int column, Qt::SortOrder order) {
  if (column != frmViewFeed::ColTitle && column != frmViewFeed::ColDateSort) return;
  viewer_.sortColumn_ = column;
  viewer_.sortOrder_ = order;
  viewer_.applySort();
}

void ViewerReading::pageOrNext() {
  QScrollBar* bar = viewer_.ucPreview()->verticalScrollBar();
  if (viewer_.selectedRow() && bar->value() < bar->maximum()) {
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    return;
  }
  selectNextUnread(true);
}

void ViewerReading::applyFilter() {
  QTreeWidget* list = viewer_.lstItems();
  const QStringList words = filter_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty()) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) list->topLevelItem(i)->setHidden(false);
    return;
  }
  context_.itemIndex.refresh(viewer_.FeedID());
  ItemSearch query;
  query.words = words;
  query.feedId = viewer_.FeedID();
  query.prefixLast = true;  // the word being typed
  QSet<QString> matching;
  for (const ItemHit& hit : context_.itemIndex.search(query)) matching.insert(refKey(hit.itemId, hit.occurrence));
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = list->topLevelItem(i);
    const ItemRef ref = refOf(row);
    row->setHidden(!matching.contains(refKey(ref.id, ref.occurrence)));
  }
}

bool ViewerReading::eventFilter(QObject* watched, QEvent* event) {
  // Only the events handled here touch the window: others also arrive while
  // it is being taken apart.
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) {
    return QObject::eventFilter(watched, event);
  }
  QTreeWidget* list = list_;
  if (!list) return false;
  if (watched == viewport_ && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    if (mouse->button() == Qt::LeftButton && list->columnAt(at.x()) == frmViewFeed::ColStar) {
      if (event->type() == QEvent::MouseButtonPress) toggleStar(list->itemAt(at));
      return true;
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == filter_) {
    if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      viewer_.lstItems()->setFocus();
      if (!viewer_.selectedRow()) selectFirstUnread();
      return true;
    }
    return false;
  }
  if (watched != list || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: viewer_.ShowItemPreview(); return true;
    case Qt::Key_Space: pageOrNext(); return true;
    case Qt::Key_N: selectNextUnread(true); return true;
    case Qt::Key_S: toggleStar(viewer_.selectedRow()); return true;
    case Qt::Key_U: markSelectedUnread(); return true;
    default: break;
  }
  if (key->matches(QKeySequence::Delete)) {
    if (viewer_.selectedRow()) host_.deleteSelectedItem();
    return true;
  }
  return false;
}

}  // namespace tidewell
