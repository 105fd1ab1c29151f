#include "app/ui/ReadingController.h"

#include "app/AppContext.h"
#include "app/ui/MainMenus.h"
#include "app/ui/frmMain.h"
#include "app/ui/frmSearch.h"
#include "feeddb/FeedType.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/TreeCounts.h"
#include "feeddb/ui/TreeIcons.h"
#include "feeds/FeedReading.h"
#include "feeds/ItemIndex.h"
#include "feeds/ui/ViewerReading.h"
#include "feeds/ui/frmViewFeed.h"
#include "scheduler/mScheduler.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QTreeWidget>

namespace tidewell {

ReadingController::ReadingController(AppContext& context, frmMain& window)
    : QObject(&window), context_(context), window_(window), menus_(window.menus()), layout_(context.paths) {
  CategoryTreeWidget* tree = window_.tvCategories();
  counts_ = new TreeCounts(context_, *tree);
  icons_ = new TreeIcons(context_, *tree);
  const ItemIndex::OpenState state = context_.itemIndex.open();
  if (state == ItemIndex::OpenState::Replaced) {
    showStatus(context_.languages.getMessages(QStringLiteral("MSG_IDX_REBUILT")));
  }
  // A new index reads every store once: in steps, with the window up.
  if (state == ItemIndex::OpenState::Opened) {
    counts_->refresh();
  } else {
    counts_->refreshInSteps();
  }

  connect(tree, &CategoryTreeWidget::starredNodeOpened, this, [this] { openSearch(true); });
  connect(tree, &CategoryTreeWidget::deleteRequested, this, [this, tree](QTreeWidgetItem* item) {
    tree->setCurrentItem(item);
    if (CategoryTreeWidget::isFeed(item)) {
      window_.mnuFeedsDel_Click();
    } else {
      window_.mnuCatDel_Click();
    }
  });
  connect(counts_, &TreeCounts::countsShown, this, [this] {
    if (search_ && search_->chkStarred()->isChecked() && search_->txtSearch()->text().isEmpty()) search_->runSearch();
  });

  connect(menus_.mnuFeedsMarkRead, &QAction::triggered, this, &ReadingController::markSelectedNodeRead);
  connect(menus_.mnuCatMarkRead, &QAction::triggered, this, &ReadingController::markSelectedNodeRead);
  connect(menus_.mnuFeedsMarkAllRead, &QAction::triggered, this, [this] { markRead(counts_->feedIds()); });
  connect(menus_.mnuFeedsUpdateAll, &QAction::triggered, this, &ReadingController::updateAll);
  connect(menus_.mnuCatUpdate, &QAction::triggered, this, &ReadingController::updateSelectedCategory);
  connect(menus_.mnuFeedsStopUpdate, &QAction::triggered, this, &ReadingController::stopUpdate);
  connect(menus_.mnuFeedsSearch, &QAction::triggered, this, [this] { openSearch(false); });
  connect(menus_.mnuFeedsNextUnread, &QAction::triggered, this, [this] {
    if (frmViewFeed* viewer = window_.activeViewer()) {
      viewer->reading().selectNextUnread(true);
    } else {
      nextUnreadAfter(QString());
    }
  });
  connect(menus_.mnuFeedItemStar, &QAction::triggered, this, [this] {
    if (frmViewFeed* viewer = window_.activeViewer()) {
      viewer->reading().toggleStar(viewer->lstItems()->currentItem());
    }
  });
  connect(menus_.mnuFeedItemUnread, &QAction::triggered, this, [this] {
    if (frmViewFeed* viewer = window_.activeViewer()) viewer->reading().markSelectedUnread();
  });
  connect(menus_.mnuFeedItemMarkAllRead, &QAction::triggered, this, [this] {
    if (frmViewFeed* viewer = window_.activeViewer()) viewer->reading().markAllRead();
  });

  connect(&window_.scheduler(), &mScheduler::feedStarted, this, [this](int index, int count, const QString&) {
    if (updating_) {
      showStatus(context_.languages.getMessages(QStringLiteral("MSG_IDX_UPDATING")).arg(index + 1).arg(count));
    }
  });
  connect(&window_.scheduler(), &mScheduler::feedChecked, icons_, &TreeIcons::feedChecked);
  connect(&window_.scheduler(), &mScheduler::finished, this, [this] {
    if (updating_) {
      updateFinished();
    } else {
      counts_->refresh();  // a scheduled check stored new items
    }
  });
}

ReadingController::~ReadingController() = default;

void ReadingController::showStatus(const QString& text) {
  if (QLabel* panel = window_.statusPanel(1)) panel->setText(text);
}

void ReadingController::viewerOpened(frmViewFeed& viewer) {
  connect(&viewer, &frmViewFeed::itemsChanged, this, [this](const QString& feedId) { counts_->refreshFeed(feedId); });
  connect(&viewer, &frmViewFeed::checkFinished, icons_, [this, target = QPointer<frmViewFeed>(&viewer)] {
    if (target) icons_->feedChecked(target->FeedID());
  });
  layout_.restoreViewer(viewer);
  // What the user changes is kept at once: a crash keeps it too.
  QPointer<frmViewFeed> target(&viewer);
  auto keep = [this, target] {
    if (target) layout_.saveViewer(*target);
  };
  connect(viewer.picSplitter(), &QSplitter::splitterMoved, this, keep);
  connect(viewer.lstItems()->header(), &QHeaderView::sectionResized, this, keep);
  connect(viewer.lstItems()->header(), &QHeaderView::sectionClicked, this, keep);
}

void ReadingController::markRead(const QStringList& feedIds) {
  FeedReading(context_.paths, context_.itemIndex, context_.messages).MarkAllRead(feedIds);
  for (frmViewFeed* viewer : window_.viewers()) {
    if (feedIds.contains(viewer->FeedID())) viewer->reading().markAllRead();
  }
  counts_->refresh();
}

void ReadingController::markSelectedNodeRead() {
  CategoryTreeWidget* tree = window_.tvCategories();
  QTreeWidgetItem* node = tree->selectedNode();
  if (!node) return;
  if (CategoryTreeWidget::isFeed(node)) {
    markRead({CategoryTreeWidget::keyOf(node)});
  } else if (CategoryTreeWidget::isCategory(node)) {
    QStringList ids;
    for (int i = 0; i < node->childCount(); ++i) ids << CategoryTreeWidget::keyOf(node->child(i));
    markRead(ids);
  } else if (CategoryTreeWidget::isRoot(node)) {
    markRead(counts_->feedIds());
  }
}

void ReadingController::updateFeeds(const QStringList& feedIds) {
  if (updating_ || context_.scheduler.inProgress) {
    showStatus(context_.languages.getMessages(QStringLiteral("MSG_IDX_UPDATEBUSY")));
    return;
  }
  CategoryTreeWidget* tree = window_.tvCategories();
  QList<ScheduleEntry> entries;
  for (const QString& id : feedIds) {
    const QTreeWidgetItem* node = tree->findKey(id);
    if (!node) continue;
    ScheduleEntry entry;
    entry.feedId = id;
    entry.url = CategoryTreeWidget::tagOf(node);
    entry.feedType = feedTypeCode(feedTypeOfImage(CategoryTreeWidget::imageOf(node)));
    entry.caption = node->text(0);
    entries << entry;
  }
  if (entries.isEmpty()) return;
  updating_ = true;
  menus_.mnuFeedsStopUpdate->setEnabled(true);
  window_.menus().mnuToolsExecuteSchedule->setEnabled(false);
  showStatus(context_.languages.getMessages(QStringLiteral("MSG_IDX_UPDATING")).arg(0).arg(entries.size()));
  // The scheduled check's run: downloads in parallel, stores and logs each
  // feed in turn, never waits inside the window.
  if (!window_.scheduler().start(entries)) {
    updating_ = false;
    menus_.mnuFeedsStopUpdate->setEnabled(false);
    window_.menus().mnuToolsExecuteSchedule->setEnabled(true);
    showStatus(context_.languages.getMessages(QStringLiteral("MSG_IDX_UPDATEBUSY")));
  }
}

void ReadingController::updateAll() { updateFeeds(counts_->feedIds()); }

void ReadingController::updateSelectedCategory() {
  QTreeWidgetItem* node = window_.tvCategories()->selectedNode();
  if (CategoryTreeWidget::isFeed(node)) node = node->parent();
  if (!CategoryTreeWidget::isCategory(node)) return;
  QStringList ids;
  for (int i = 0; i < node->childCount(); ++i) ids << CategoryTreeWidget::keyOf(node->child(i));
  updateFeeds(ids);
}

void ReadingController::stopUpdate() {
  // The run stops before its next feed; the one being stored finishes.
  if (updating_) context_.scheduler.Running = false;
}

void ReadingController::updateFinished() {
  updating_ = false;
  menus_.mnuFeedsStopUpdate->setEnabled(false);
  window_.menus().mnuToolsExecuteSchedule->setEnabled(true);
  showStatus(context_.languages.getMessages(QStringLiteral("MSG_IDX_UPDATED")));
  counts_->refresh();
  for (frmViewFeed* viewer : window_.viewers()) viewer->reading().reloadStored();
}

bool ReadingController::openFeed(const QString& feedId) {
  const QTreeWidgetItem* node = window_.tvCategories()->findKey(feedId);
  if (!node || !CategoryTreeWidget::isFeed(node)) return false;
  const QString url = CategoryTreeWidget::tagOf(node);
  if (!window_.IsFeedOpen(url, true)) {
    window_.OpenFeedWindow(node->text(0), feedId, url, feedTypeCode(feedTypeOfImage(CategoryTreeWidget::imageOf(node))),
                           false);
    return true;
  }
  return true;
}

void ReadingController::nextUnreadAfter(const QString& feedId) {
  const QStringList ids = counts_->feedIds();
  const QHash<QString, FeedCounts> counts = context_.itemIndex.allCounts();
  const qsizetype start = ids.indexOf(feedId);
  for (qsizetype step = 1; step <= ids.size(); ++step) {
    const QString& id = ids[(start + step + ids.size()) % ids.size()];
    if (id == feedId || counts.value(id).unread == 0) continue;
    const bool wasOpen = [&] {
      for (frmViewFeed* viewer : window_.viewers()) {
        if (viewer->FeedID() == id) return true;
      }
      return false;
    }();
    if (!openFeed(id)) continue;
    frmViewFeed* viewer = window_.activeViewer();
    if (!viewer || viewer->FeedID() != id) return;
    if (wasOpen) {
      viewer->reading().selectFirstUnread();
    } else {
      viewer->reading().selectFirstUnreadAfterLoad();
    }
    viewer->lstItems()->setFocus();
    return;
  }
  showStatus(context_.languages.getMessages(QStringLiteral("MSG_IDX_NOUNREAD")));
}

frmSearch* ReadingController::openSearch(bool starred) {
  if (!search_) {
    CategoryTreeWidget* tree = window_.tvCategories();
    search_ = new frmSearch(
        context_,
        [tree](const QString& id) {
          const QTreeWidgetItem* node = tree->findKey(id);
          return node ? node->text(0) : id;
        },
        &window_);
    connect(search_, &frmSearch::openItem, this, &ReadingController::openItem);
  }
  counts_->refresh();  // the search sees what the stores hold now
  if (starred) search_->showStarred();
  search_->show();
  search_->raise();
  search_->activateWindow();
  search_->txtSearch()->setFocus();
  return search_;
}

void ReadingController::openItem(const QString& feedId, const ItemRef& item) {
  bool wasOpen = false;
  for (frmViewFeed* viewer : window_.viewers()) wasOpen = wasOpen || viewer->FeedID() == feedId;
  if (!openFeed(feedId)) return;
  frmViewFeed* viewer = window_.activeViewer();
  if (!viewer || viewer->FeedID() != feedId) return;
  if (wasOpen) {
    viewer->reading().selectItem(item);
  } else {
    viewer->reading().selectItemAfterLoad(item);
  }
  window_.activateWindow();
}

void ReadingController::restoreLayout() {
  layout_.restoreWindow(window_);
  for (const QString& id : layout_.tabs()) openFeed(id);
}

void ReadingController::saveLayout() {
  layout_.saveWindow(window_);
  QStringList ids;
  for (QMdiSubWindow* sub : window_.mdiArea()->subWindowList(QMdiArea::CreationOrder)) {
    if (auto* viewer = qobject_cast<frmViewFeed*>(sub->widget())) ids << viewer->FeedID();
  }
  layout_.saveTabs(ids);
  if (frmViewFeed* viewer = window_.activeViewer()) layout_.saveViewer(*viewer);
}

}  // namespace tidewell
