#include "app/ui/FeedTabs.h"

#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeds/ui/frmViewFeed.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTabBar>
#include <QTimer>

namespace tidewell {

FeedTabs::FeedTabs(QWidget* parent, QMenu* windowsMenu, QAction* placeholder)
    : QObject(parent), area_(new QMdiArea(parent)), windowsMenu_(windowsMenu), placeholder_(placeholder) {
  area_->setObjectName(QStringLiteral("oTabs"));
  area_->setViewMode(QMdiArea::TabbedView);
  area_->setTabsClosable(true);
  area_->setTabsMovable(true);
  area_->setDocumentMode(true);
  area_->setTabShape(QTabWidget::Rounded);
  area_->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  area_->setBackground(parent->palette().brush(QPalette::Window));
  // Tabs as wide as their captions, not stretched over the whole strip.
  if (auto* tabs = area_->findChild<QTabBar*>()) tabs->setExpanding(false);
  connect(area_, &QMdiArea::subWindowActivated, this, [this] { rebuildWindowsMenu(); });
}

FeedTabs::~FeedTabs() { unloading_ = true; }

QList<frmViewFeed*> FeedTabs::viewers() const {
  QList<frmViewFeed*> list;
  for (QMdiSubWindow* sub : area_->subWindowList()) {
    if (auto* viewer = qobject_cast<frmViewFeed*>(sub->widget())) list.append(viewer);
  }
  return list;
}

frmViewFeed* FeedTabs::activeViewer() const {
  QMdiSubWindow* sub = area_->activeSubWindow();
  if (!sub && area_->subWindowList().size() == 1) sub = area_->subWindowList().first();
  return sub ? qobject_cast<frmViewFeed*>(sub->widget()) : nullptr;
}

frmViewFeed* FeedTabs::find(const QString& url, bool activate) {
  for (QMdiSubWindow* sub : area_->subWindowList()) {
    auto* viewer = qobject_cast<frmViewFeed*>(sub->widget());
    if (!viewer || viewer->FeedURL().toLower() != url.toLower()) continue;
    if (activate) {
      area_->setActiveSubWindow(sub);
      viewer->setFocus();
      if (!unloading_) rebuildWindowsMenu();
    }
    return viewer;
  }
  return nullptr;
}

void FeedTabs::add(frmViewFeed* viewer, FeedType type) {
  QMdiSubWindow* sub = area_->addSubWindow(viewer);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // The tab shows the feed's kind, as its node in the tree does.
  sub->setWindowIcon(CategoryTreeWidget::imageIcon(feedTypeImage(type)));
  // The list drops a window only after it is gone.
  connect(sub, &QObject::destroyed, &lifetime_, [this] {
    QTimer::singleShot(0, &lifetime_, [this] {
      if (!unloading_) rebuildWindowsMenu();
    });
  });
  sub->showMaximized();
  area_->setActiveSubWindow(sub);
  rebuildWindowsMenu();
}

bool FeedTabs::closeViewersOf(const QStringList& feedIds) {
  // A deleted feed's viewer would show the errors of a store that is gone.
  // A busy one refuses with its own message, and the delete waits for it.
  for (QMdiSubWindow* sub : area_->subWindowList()) {
    auto* viewer = qobject_cast<frmViewFeed*>(sub->widget());
    if (viewer == nullptr || !feedIds.contains(viewer->FeedID(), Qt::CaseInsensitive)) continue;
    // The frame asks its viewer first.
    if (!sub->close()) return false;
  }
  return true;
}

void FeedTabs::rename(const QString& id, const QString& name) {
  for (frmViewFeed* viewer : viewers()) {
    if (viewer->FeedID().compare(id, Qt::CaseInsensitive) == 0 && viewer->FeedCaption() != name) {
      viewer->setFeedCaption(name);
    }
  }
}

void FeedTabs::rebuildWindowsMenu() {
  for (QAction* action : windowsMenu_->actions()) {
    if (action != placeholder_) {
      windowsMenu_->removeAction(action);
      action->deleteLater();
    }
  }
  const QList<QMdiSubWindow*> windows = area_->subWindowList();
  placeholder_->setVisible(windows.isEmpty());
  QMdiSubWindow* active = area_->activeSubWindow();
  for (QMdiSubWindow* sub : windows) {
    auto* viewer = qobject_cast<frmViewFeed*>(sub->widget());
    QAction* entry = windowsMenu_->addAction(sub->windowTitle());
    entry->setCheckable(true);
    entry->setChecked(sub == active);
    if (viewer) entry->setData(viewer->FeedID());
    QPointer<QMdiSubWindow> target(sub);
    connect(entry, &QAction::triggered, this, [this, target] {
      if (target) area_->setActiveSubWindow(target);
    });
  }
}

}  // namespace tidewell
