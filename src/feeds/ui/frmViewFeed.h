#pragma once

#include "feeddb/FeedRecord.h"
#include "feeds/FeedCheck.h"
#include "feeds/FeedItem.h"
#include "feeds/ItemStore.h"

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace tidewell {

struct AppContext;
class Platform;
class PreviewBrowser;
class ViewerHost;
class ViewerReading;
class ViewerCheck;
class ViewerItemCommands;

// The window in which one feed is read: its stored items in lstItems, a check
// of the feed URL for new ones, and the selected item's preview below.
class frmViewFeed : public QWidget {
  Q_OBJECT

 public:
  // Columns of lstItems; the third holds the date key the dates sort by.
  enum Column { ColTitle = 0, ColPublished = 1, ColDateSort = 2, ColStar = 3 };
  // Row data: the item's link (the row's tag), its stored id and its position
  // among stored items with that id, and whether it is unread.
  enum Role { TagRole = Qt::UserRole, IdRole, OccurrenceRole, UnreadRole, MediaRole, StarRole };
  static constexpr int kDelayMs = 400;

  frmViewFeed(AppContext& context, Platform& platform, ViewerHost& host, const FeedRecord& feed,
              QWidget* parent = nullptr);
  ~frmViewFeed() override;

  // The window shows another feed (the one already open under its address).
  void setFeed(const FeedRecord& feed);
  QString FeedID() const { return feedId_; }
  QString FeedURL() const { return feedUrl_; }
  void setFeedURL(const QString& url) { feedUrl_ = url; }
  QString FeedCaption() const { return feedCaption_; }
  void setFeedCaption(const QString& caption);
  qint16 FeedType() const { return feedType_; }
  bool CheckForNewItems() const { return checkForNewItems_; }
  void setCheckForNewItems(bool check) { checkForNewItems_ = check; }
  const QByteArray& FeedData() const { return feedData_; }
  bool StillExecuting() const { return stillExecuting_; }
  bool HasNewItems() const { return hasNewItems_; }
  const FeedItem& currentItem() const { return currentItem_; }
  // The selected row's enclosure address; "" without one.
  QString selectedEnclosure() const;

  // Lists the stored items (when loadStored) and starts a check of the feed
  // for new ones; checkFinished() follows when the load is over (at once
  // without a check). Returns without waiting for the server.
  void LoadFeedData(bool loadStored);
  bool isLoading() const { return loading_; }
  // "show", "del", "txt", "html", "email", "online", "play", "download";
  // anything else does nothing.
  void HandlePopupMenu(const QString& action);
  void ShowItemPreview();
  // Closes the window even while it is busy (the main window is going away).
  void forceClose();
  // Reads the feed's own choices (remote pictures) from its store again.
  void reloadOptions();
  // The texts the window sets itself (placeholder, caption marks), in the current language.
  void retranslate();

  // How long a check waits for the server (tests shorten it).
  int fetchTimeoutMs = 10000;
  // How long storing new items waits for another writer of the store (tests shorten it).
  int storeLockWaitMs = 10000;

  QTreeWidget* lstItems() const { return list_; }
  PreviewBrowser* ucPreview() const { return preview_; }
  QSplitter* picSplitter() const { return splitter_; }
  QTimer& tmrDelay() { return delay_; }
  ViewerReading& reading() { return *reading_; }
  QString itemStorePath() const;

  // The sort by a header click: "Title" by title, "Published On" by the date
  // key; every click flips the order.
  void sortByHeader(int column);
  int sortColumn() const { return sortColumn_; }
  Qt::SortOrder sortOrder() const { return sortOrder_; }

 signals:
  // Every caption change (the tab follows).
  void captionChanged(const QString& caption);
  // The window wrote to the feed's store: a read mark, new items, a delete, a star.
  void itemsChanged(const QString& feedId);
  // A load started by LoadFeedData is over (its messages shown).
  void checkFinished();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void setCaption(const QString& caption);
  QString text(const char* key) const;
  // The feed's caption with its " [new]" mark when the last check added items.
  QString plainCaption() const;
  void LoadStoredItems();
  void onChecked(const FeedCheckResult& result);
  void endLoad(const QString& caption);
  void AddNewItemsToList(const MergeResult& merged);
  void applySort();
  void setRowRead(QTreeWidgetItem* row, bool read);
  QTreeWidgetItem* selectedRow() const;
  // The preview page of a row (view.tpl filled in, nothing marked read); the
  // preview's error boxes and nullopt when it cannot be made.
  std::optional<QString> pageOfRow(QTreeWidgetItem* row, FeedItem& info);
  void lstItems_Click();
  void keepSplitterInBand(int position);
  bool eventFilter(QObject* watched, QEvent* event) override;
  friend class ViewerReading;
  friend class ViewerItemCommands;

  AppContext& context_;
  Platform& platform_;
  ViewerHost& host_;
  QTreeWidget* list_;
  PreviewBrowser* preview_;
  QSplitter* splitter_;
  ViewerReading* reading_;
  std::unique_ptr<ViewerItemCommands> commands_;
  ViewerCheck* check_ = nullptr;
  QTimer delay_;
  QIcon unreadIcon_;
  QIcon readIcon_;
  QFont boldFont_;
  QList<int> splitterSizes_;

  QString feedId_;
  QString feedUrl_;
  QString feedCaption_;
  qint16 feedType_ = 0;
  bool checkForNewItems_ = false;
  QByteArray feedData_;
  QString feedCharset_;
  QUrl feedBase_;                    // where feedData_ came from (after redirects)
  std::optional<bool> ownPictures_;  // the feed's own remote pictures choice
  bool stillExecuting_ = false;
  bool hasNewItems_ = false;
  bool loading_ = false;
  bool forced_ = false;
  bool shownOnce_ = false;
  QString latestId_;
  FeedItem currentItem_;
  // How many stored items carry each id, so a new row knows its position.
  QHash<QString, int> idCounts_;
  int sortColumn_ = ColDateSort;
  Qt::SortOrder sortOrder_ = Qt::DescendingOrder;
};

}  // namespace tidewell
