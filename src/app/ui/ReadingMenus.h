#pragma once

class QAction;

namespace tidewell {

struct MainMenus;

// The reading commands, added at the ends of the main window's menus: mark
// read, update, next unread, search, star and mark as unread. Keys that the
// item list handles itself (N, S, U) are shown in the menus but act only in
// the list, so typing in a text box never triggers them.
struct ReadingMenus {
  explicit ReadingMenus(MainMenus& menus);

  QAction* mnuCatMarkRead;    // Mark All as Read (the selected category)
  QAction* mnuCatUpdate;      // Update Category
  QAction* mnuFeedsMarkRead;  // Mark All as Read (the selected feed)
  QAction* mnuFeedsMarkAllRead;
  QAction* mnuFeedsUpdateAll;  // F5
  QAction* mnuFeedsStopUpdate;
  QAction* mnuFeedsNextUnread;  // N
  QAction* mnuFeedsSearch;      // Ctrl+F
  QAction* mnuFeedItemUnread;   // U
  QAction* mnuFeedItemStar;     // S
  QAction* mnuFeedItemMarkAllRead;
};

}  // namespace tidewell
