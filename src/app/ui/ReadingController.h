#pragma once

#include "app/ui/LayoutMemory.h"
#include "app/ui/ReadingMenus.h"
#include "app/ui/frmSearch.h"
#include "feeds/ItemStore.h"
#include "settings/mSettings.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace tidewell {

struct AppContext;
class frmMain;
class frmViewFeed;
class TreeCounts;
class TreeIcons;

// The main window's everyday reading: the tree's counts, mark read for a
// feed, a category or everything, Update All Feeds (F5) and Update Category
// through the scheduled check's parallel run, next unread across feeds, the
// search and Starred windows, and the remembered layout.
class ReadingController : public QObject {
  Q_OBJECT

 public:
  ReadingController(AppContext& context, frmMain& window);
  ~ReadingController() override;

  ReadingMenus& menus() { return menus_; }
  TreeCounts& counts() { return *counts_; }
  TreeIcons& icons() { return *icons_; }
  frmSearch* searchWindow() const { return search_; }
  bool updating() const { return updating_; }

  // A viewer was created: its changes reach the counts, its layout is the remembered one.
  void viewerOpened(frmViewFeed& viewer);

  void markRead(const QStringList& feedIds);
  void markSelectedNodeRead();  // a feed's, a category's or (root) every feed's items
  void updateFeeds(const QStringList& feedIds);
  void updateAll();
  void updateSelectedCategory();
  void stopUpdate();
  void nextUnreadAfter(const QString& feedId);
  frmSearch* openSearch(bool starred);
  void openItem(const QString& feedId, const ItemRef& item);

  // The window's size and the open tabs, at start and at the end.
  void restoreLayout();
  void saveLayout();

 private:
  void showStatus(const QString& text);
  bool openFeed(const QString& feedId);  // false when the tree has no such feed
  void updateFinished();

  AppContext& context_;
  frmMain& window_;
  ReadingMenus menus_;
  TreeCounts* counts_;
  TreeIcons* icons_;
  LayoutMemory layout_;
  QPointer<frmSearch> search_;
  bool updating_ = false;
};

}  // namespace tidewell
