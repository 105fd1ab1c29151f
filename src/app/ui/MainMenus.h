#pragma once

#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace tidewell {

// The main window's menu bar, its two pop-up menus (the item menu of a feed
// viewer and the tray menu) and its toolbar. Every menu, item and button
// carries its control name as object name, which is also its localization
// key; captions are the designed English ones.
struct MainMenus {
  explicit MainMenus(QMainWindow* window);

  QMenu* mnuFile;
  QAction* mnuFileItem;
  QAction* mnuFileImportOpml;
  QAction* mnuFileExportOpml;

  QMenu* mnuCat;
  QAction* mnuCatNew;
  QAction* mnuCatEdit;
  QAction* mnuCatDel;
  QAction* mnuCatNewFeed;
  QAction* mnuCatRefresh;

  QMenu* mnuFeeds;
  QAction* mnuFeedsCheck;
  QAction* mnuFeedsOpen;
  QAction* mnuFeedsAdd;
  QAction* mnuFeedsEdit;
  QAction* mnuFeedsDel;

  QMenu* mnuTools;
  QAction* mnuToolsEmailSettings;
  QAction* mnuToolsSchedule;
  QAction* mnuToolsAppSettings;
  QAction* mnuToolsSendByEmail;
  QAction* mnuToolsExecuteSchedule;
  QAction* mnuToolsOptionBar;

  QMenu* mnuWindows;
  QAction* mnuSubItem;  // the "No Feeds Open" placeholder

  QMenu* mnuLanguages;
  QAction* mnuLanguageItem;

  QMenu* mnuHelp;
  QAction* mnuHelpFile;

  QMenu* mnuAbout;
  QAction* mnuAboutItem;
  QAction* mnuHelpWebsite;

  // The item menu a viewer pops up over its list.
  QMenu* mnuFeedItem;
  QAction* mnuFeedItemShow;
  QAction* mnuFeedItemOnline;
  QAction* mnuFeedItemPlay;      // the enclosure in the system's player
  QAction* mnuFeedItemDownload;  // the enclosure saved to a chosen file
  QAction* mnuFeedItemDel;
  QAction* mnuFeedItemExportHtml;  // mnuFeedItemExport(0)
  QAction* mnuFeedItemExportTxt;   // mnuFeedItemExport(1)
  QAction* mnuFeedItemEmail;

  // The tray icon's menu.
  QMenu* mnuSysTray;
  QAction* mnuSysTrayShow;
  QAction* mnuSysTrayAddFeed;
  QAction* mnuSysTrayEmailSettings;
  QAction* mnuSysTraySchedule;
  QAction* mnuSysTrayAppSettings;
  QAction* mnuSysTrayHelpFile;
  QAction* mnuSysTrayContactUs;
  QAction* mnuSysTrayWebsite;
  QAction* mnuSysTrayExit;

  QToolBar* toolbar;
  QToolButton* cmdAddCat;
  QToolButton* cmdAddFeed;
  QToolButton* cmdEmail;
  QToolButton* cmdSchedule;
  QToolButton* cmdSettings;
  QToolButton* cmdToggle;
  QToolButton* cmdWindows;
  QToolButton* cmdWebsite;

  // The hidden developer command that writes the localization file.
  QAction* Command1;

  static QString placeholderText() { return QStringLiteral("No Feeds Open"); }
};

}  // namespace tidewell
