#include "app/ui/ReadingMenus.h"

#include "app/ui/MainMenus.h"

#include <QAction>
#include <QMenu>

namespace tidewell {

namespace {

QAction* add(QMenu* menu, const char* name, const QString& caption, const QKeySequence& keys = {},
             bool listOnly = false) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QLatin1String(name));
  if (!keys.isEmpty()) {
    action->setShortcut(keys);
    // Shown in the menu; the list reads the key itself.
    if (listOnly) action->setShortcutContext(Qt::WidgetShortcut);
  }
  return action;
}

}  // namespace

ReadingMenus::ReadingMenus(MainMenus& m) {
  m.mnuCat->addSeparator();
  mnuCatMarkRead = add(m.mnuCat, "mnuCatMarkRead", QStringLiteral("Mark All as Read"));
  mnuCatUpdate = add(m.mnuCat, "mnuCatUpdate", QStringLiteral("Update Category"));

  m.mnuFeeds->addSeparator();
  mnuFeedsMarkRead = add(m.mnuFeeds, "mnuFeedsMarkRead", QStringLiteral("Mark All as Read"));
  mnuFeedsMarkAllRead = add(m.mnuFeeds, "mnuFeedsMarkAllRead", QStringLiteral("Mark Every Feed as Read"));
  mnuFeedsUpdateAll =
      add(m.mnuFeeds, "mnuFeedsUpdateAll", QStringLiteral("Update All Feeds"), QKeySequence(QKeySequence::Refresh));
  mnuFeedsStopUpdate = add(m.mnuFeeds, "mnuFeedsStopUpdate", QStringLiteral("Stop Updating"));
  mnuFeedsStopUpdate->setEnabled(false);
  m.mnuFeeds->addSeparator();
  mnuFeedsNextUnread =
      add(m.mnuFeeds, "mnuFeedsNextUnread", QStringLiteral("Next Unread Item"), QKeySequence(Qt::Key_N), true);
  mnuFeedsSearch =
      add(m.mnuFeeds, "mnuFeedsSearch", QStringLiteral("Search All Items..."), QKeySequence(QKeySequence::Find));

  m.mnuFeedItem->addSeparator();
  mnuFeedItemStar =
      add(m.mnuFeedItem, "mnuFeedItemStar", QStringLiteral("Star / Unstar"), QKeySequence(Qt::Key_S), true);
  mnuFeedItemUnread =
      add(m.mnuFeedItem, "mnuFeedItemUnread", QStringLiteral("Mark as Unread"), QKeySequence(Qt::Key_U), true);
  mnuFeedItemMarkAllRead = add(m.mnuFeedItem, "mnuFeedItemMarkAllRead", QStringLiteral("Mark All as Read"));
  // The item menu's delete answers the Delete key in the list.
  m.mnuFeedItemDel->setShortcut(QKeySequence(QKeySequence::Delete));
  m.mnuFeedItemDel->setShortcutContext(Qt::WidgetShortcut);
}

}  // namespace tidewell
