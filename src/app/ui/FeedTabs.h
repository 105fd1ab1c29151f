#pragma once

#include "feeddb/FeedType.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMdiArea;
class QMenu;
class QWidget;

namespace tidewell {

class frmViewFeed;

// The main window's tabs of feed viewers and the Windows menu that lists
// them: opening, finding, renaming and closing viewers by their feed.
class FeedTabs : public QObject {
  Q_OBJECT

 public:
  // The tab area is made in parent; windowsMenu lists the tabs after its
  // placeholder entry, which shows only while there are none.
  FeedTabs(QWidget* parent, QMenu* windowsMenu, QAction* placeholder);
  ~FeedTabs() override;

  QMdiArea* area() const { return area_; }
  QList<frmViewFeed*> viewers() const;
  // The viewer with focus (or the only one).
  frmViewFeed* activeViewer() const;
  // The viewer of url (compared without case), brought forward when
  // activate; nullptr when no tab shows it.
  frmViewFeed* find(const QString& url, bool activate);
  // A new tab for viewer, with the picture of the feed's type.
  void add(frmViewFeed* viewer, FeedType type);
  // Closes the viewers of the given feeds; false when one is busy and
  // refused (it said so).
  bool closeViewersOf(const QStringList& feedIds);
  // Gives the viewers of feed id its new name.
  void rename(const QString& id, const QString& name);
  void rebuildWindowsMenu();
  // While the window goes away the menu is no longer kept.
  void setUnloading() { unloading_ = true; }

 private:
  QMdiArea* area_;
  QMenu* windowsMenu_;
  QAction* placeholder_;
  QObject lifetime_;
  bool unloading_ = false;
};

}  // namespace tidewell
