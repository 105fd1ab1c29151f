#pragma once

#include "feeds/ItemStore.h"

#include <QObject>
#include <QPointer>
#include <QTreeWidget>

#include <optional>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace tidewell {

struct AppContext;
class ViewerHost;
class frmViewFeed;

// What a viewer adds for everyday reading, kept beside the window: the
// filter box above the list, the star column, mark all read and mark as
// unread, the preview following the selection, and the list's keys (Enter
// shows, Space pages the preview and then goes on to the next unread item,
// N goes there at once, S stars, U marks unread, Delete deletes).
class ViewerReading : public QObject {
  Q_OBJECT

 public:
  ViewerReading(frmViewFeed& viewer, AppContext& context, ViewerHost& host);

  // The list with the filter box above it, for the window's layout.
  QWidget* wrapList(QTreeWidget* list);
  QLineEdit* txtFilter() const { return filter_; }

  // A row's star cell from its StarRole.
  void decorate(QTreeWidgetItem* row) const;
  // After the list was filled: the filter applies again, a pending "first
  // unread" is selected.
  void afterLoad();

  void toggleStar(QTreeWidgetItem* row);
  void markAllRead();
  void markSelectedUnread();
  // The next unread row below the selection (or from the top); false when
  // there is none. With acrossFeeds the host is asked for the next feed.
  bool selectNextUnread(bool acrossFeeds);
  bool selectFirstUnread();
  // Selects the first unread row once the list has been filled.
  void selectFirstUnreadAfterLoad() { firstUnreadPending_ = true; }
  bool selectItem(const ItemRef& item);
  // Selects that item once the list has been filled (a search result).
  void selectItemAfterLoad(const ItemRef& item) { itemPending_ = item; }
  // Lists the store again (new items stored by an update), keeping the selection.
  void reloadStored();
  // The sort a user chose last time (a column of the list and its order).
  void setSort(int column, Qt::SortOrder order);
  // Space: one page further down the preview, or the next unread item.
  void pageOrNext();
  // Shows only the rows whose title or text holds every word.
  void applyFilter();

  // True (once) when the row was just shown by the selection following: the
  // click that selected it does not show it again.
  bool consumeFollowed(const QTreeWidgetItem* row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void followSelection(QTreeWidgetItem* current);
  void changed();
  QTreeWidgetItem* nextUnreadFrom(QTreeWidgetItem* start, bool includeStart) const;

  frmViewFeed& viewer_;
  AppContext& context_;
  ViewerHost& host_;
  QLineEdit* filter_ = nullptr;
  QPointer<QTreeWidget> list_;
  QPointer<QWidget> viewport_;
  const QTreeWidgetItem* followed_ = nullptr;
  bool firstUnreadPending_ = false;
  std::optional<ItemRef> itemPending_;
};

}  // namespace tidewell
