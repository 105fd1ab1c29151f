#include "app/ui/MainMenus.h"

#include "l10n/ui/WindowLocalizer.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSizePolicy>
#include <QToolBar>
#include <QToolButton>

namespace tidewell {

namespace {

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& title) {
  QMenu* menu = bar->addMenu(title);
  menu->setObjectName(QLatin1String(name));
  menu->menuAction()->setObjectName(QLatin1String(name));
  return menu;
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QString& icon = {}) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QLatin1String(name));
  if (!icon.isEmpty()) action->setIcon(QIcon(icon));
  return action;
}

QAction* addArrayItem(QMenu* menu, const char* name, int index, const QString& caption, const QString& icon = {}) {
  QAction* action = addItem(menu, name, caption, icon);
  action->setProperty(WindowLocalizer::kIndexProperty, index);
  return action;
}

QToolButton* addButton(QToolBar* bar, const char* name, const QString& caption, const QString& icon) {
  auto* button = new QToolButton(bar);
  button->setObjectName(QLatin1String(name));
  button->setText(caption);
  button->setIcon(QIcon(icon));
  button->setIconSize(QSize(32, 32));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  button->setMinimumWidth(76);
  bar->addWidget(button);
  return button;
}

}  // namespace

MainMenus::MainMenus(QMainWindow* window) {
  QMenuBar* bar = window->menuBar();
  bar->setObjectName(QStringLiteral("mnuBar"));

  mnuFile = addMenu(bar, "mnuFile", QStringLiteral("&File"));
  mnuFileImportOpml = addItem(mnuFile, "mnuFileImportOpml", QStringLiteral("Import OPML..."));
  mnuFileExportOpml = addItem(mnuFile, "mnuFileExportOpml", QStringLiteral("Export OPML..."));
  mnuFile->addSeparator();
  mnuFileItem = addItem(mnuFile, "mnuFileItem", QStringLiteral("Exit"), QStringLiteral(":/icons/exit.png"));

  mnuCat = addMenu(bar, "mnuCat", QStringLiteral("Feed &Manager"));
  mnuCatNew =
      addItem(mnuCat, "mnuCatNew", QStringLiteral("Add New Category"), QStringLiteral(":/icons/add-category-16.png"));
  mnuCatEdit = addItem(mnuCat, "mnuCatEdit", QStringLiteral("Edit Category Details"));
  mnuCatDel =
      addItem(mnuCat, "mnuCatDel", QStringLiteral("Delete selected Category"), QStringLiteral(":/icons/delete.png"));
  mnuCat->addSeparator();
  mnuCatNewFeed =
      addItem(mnuCat, "mnuCatNewFeed", QStringLiteral("Add New Feed"), QStringLiteral(":/icons/add-feed-16.png"));
  mnuCat->addSeparator();
  mnuCatRefresh = addItem(mnuCat, "mnuCatRefresh", QStringLiteral("Refresh"), QStringLiteral(":/icons/refresh.png"));

  mnuFeeds = addMenu(bar, "mnuFeeds", QStringLiteral("Fee&ds"));
  mnuFeedsCheck = addItem(mnuFeeds, "mnuFeedsCheck", QStringLiteral("Check for New Feed Items..."),
                          QStringLiteral(":/icons/refresh.png"));
  mnuFeedsOpen =
      addItem(mnuFeeds, "mnuFeedsOpen", QStringLiteral("Open Feed in Work area"), QStringLiteral(":/icons/open.png"));
  mnuFeeds->addSeparator();
  mnuFeedsAdd =
      addItem(mnuFeeds, "mnuFeedsAdd", QStringLiteral("Add New Feed"), QStringLiteral(":/icons/add-feed-16.png"));
  mnuFeedsEdit = addItem(mnuFeeds, "mnuFeedsEdit", QStringLiteral("Edit Feed Details"));
  mnuFeedsDel =
      addItem(mnuFeeds, "mnuFeedsDel", QStringLiteral("Delete selected Feed"), QStringLiteral(":/icons/delete.png"));
  mnuFeeds->setDefaultAction(mnuFeedsCheck);

  mnuTools = addMenu(bar, "mnuTools", QStringLiteral("&Tools"));
  mnuToolsEmailSettings = addItem(mnuTools, "mnuToolsEmailSettings", QStringLiteral("Email Settings"),
                                  QStringLiteral(":/icons/email-16.png"));
  mnuToolsSchedule =
      addItem(mnuTools, "mnuToolsSchedule", QStringLiteral("Scheduler"), QStringLiteral(":/icons/schedule-16.png"));
  mnuToolsAppSettings = addItem(mnuTools, "mnuToolsAppSettings", QStringLiteral("Application Settings"),
                                QStringLiteral(":/icons/settings-16.png"));
  mnuTools->addSeparator();
  mnuToolsSendByEmail = addItem(mnuTools, "mnuToolsSendByEmail", QStringLiteral("Send by Email"));
  mnuToolsExecuteSchedule = addItem(mnuTools, "mnuToolsExecuteSchedule", QStringLiteral("Execute Schedule Now"));
  mnuTools->addSeparator();
  mnuToolsOptionBar = addItem(mnuTools, "mnuToolsOptionBar", QStringLiteral("Option Bar"));
  mnuToolsOptionBar->setCheckable(true);
  mnuToolsOptionBar->setChecked(true);

  mnuWindows = addMenu(bar, "mnuWindows", QStringLiteral("&Windows"));
  mnuSubItem = addArrayItem(mnuWindows, "mnuSubItem", 0, placeholderText());
  mnuSubItem->setEnabled(false);

  mnuLanguages = addMenu(bar, "mnuLanguages", QStringLiteral("&Languages"));
  mnuLanguageItem = addItem(mnuLanguages, "mnuLanguageItem", QStringLiteral("Change Languages"),
                            QStringLiteral(":/icons/language-16.png"));

  mnuHelp = addMenu(bar, "mnuHelp", QStringLiteral("&Help"));
  mnuHelpFile = addItem(mnuHelp, "mnuHelpFile", QStringLiteral("View Help"), QStringLiteral(":/icons/help.png"));
  mnuHelpFile->setShortcut(QKeySequence::HelpContents);

  mnuAbout = addMenu(bar, "mnuAbout", QStringLiteral("&About"));
  mnuAboutItem = addItem(mnuAbout, "mnuAboutItem", QStringLiteral("About this software"));
  mnuHelpWebsite =
      addItem(mnuAbout, "mnuHelpWebsite", QStringLiteral("Visit our Website"), QStringLiteral(":/icons/online.png"));

  mnuFeedItem = new QMenu(window);
  mnuFeedItem->setObjectName(QStringLiteral("mnuFeedItem"));
  mnuFeedItemShow = addItem(mnuFeedItem, "mnuFeedItemShow", QStringLiteral("Show "));
  mnuFeedItemOnline =
      addItem(mnuFeedItem, "mnuFeedItemOnline", QStringLiteral("View Online"), QStringLiteral(":/icons/online.png"));
  mnuFeedItemPlay = addItem(mnuFeedItem, "mnuFeedItemPlay", QStringLiteral("Play"));
  mnuFeedItemDownload = addItem(mnuFeedItem, "mnuFeedItemDownload", QStringLiteral("Download enclosure"));
  mnuFeedItem->addSeparator();
  mnuFeedItemDel =
      addItem(mnuFeedItem, "mnuFeedItemDel", QStringLiteral("Delete"), QStringLiteral(":/icons/delete.png"));
  mnuFeedItem->addSeparator();
  mnuFeedItemExportHtml = addArrayItem(mnuFeedItem, "mnuFeedItemExport", 0, QStringLiteral("Export to HTML"),
                                       QStringLiteral(":/icons/export.png"));
  mnuFeedItemExportTxt = addArrayItem(mnuFeedItem, "mnuFeedItemExport", 1, QStringLiteral("Export to TXT"));
  mnuFeedItem->addSeparator();
  mnuFeedItemEmail =
      addItem(mnuFeedItem, "mnuFeedItemEmail", QStringLiteral("Send as Email"), QStringLiteral(":/icons/email-16.png"));
  mnuFeedItem->setDefaultAction(mnuFeedItemShow);

  mnuSysTray = new QMenu(window);
  mnuSysTray->setObjectName(QStringLiteral("mnuSysTray"));
  mnuSysTrayShow = addItem(mnuSysTray, "mnuSysTrayShow", QStringLiteral("Show"));
  mnuSysTray->addSeparator()->setObjectName(QStringLiteral("mnuSysTrayLine1"));
  mnuSysTrayAddFeed = addItem(mnuSysTray, "mnuSysTrayAddFeed", QStringLiteral("Add New Feed"));
  mnuSysTray->addSeparator()->setObjectName(QStringLiteral("mnuSysTrayLine2"));
  mnuSysTrayEmailSettings = addItem(mnuSysTray, "mnuSysTrayEmailSettings", QStringLiteral("Email Settings"));
  mnuSysTraySchedule = addItem(mnuSysTray, "mnuSysTraySchedule", QStringLiteral("Scheduler Settings"));
  mnuSysTrayAppSettings = addItem(mnuSysTray, "mnuSysTrayAppSettings", QStringLiteral("Application Settings"));
  mnuSysTray->addSeparator()->setObjectName(QStringLiteral("mnuSysTrayLine3"));
  mnuSysTrayHelpFile = addItem(mnuSysTray, "mnuSysTrayHelpFile", QStringLiteral("Help File"));
  mnuSysTrayContactUs = addItem(mnuSysTray, "mnuSysTrayContactUs", QStringLiteral("Contact Us"));
  mnuSysTrayWebsite = addItem(mnuSysTray, "mnuSysTrayWebsite", QStringLiteral("Visit Product Website"));
  mnuSysTray->addSeparator()->setObjectName(QStringLiteral("mnuSysTrayLine4"));
  mnuSysTrayExit = addItem(mnuSysTray, "mnuSysTrayExit", QStringLiteral("Close"));
  mnuSysTray->setDefaultAction(mnuSysTrayShow);

  toolbar = window->addToolBar(QStringLiteral("Toolbar"));
  toolbar->setObjectName(QStringLiteral("tbMain"));
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setIconSize(QSize(32, 32));
  toolbar->toggleViewAction()->setVisible(false);
  cmdAddCat =
      addButton(toolbar, "cmdAddCat", QStringLiteral("Add Category"), QStringLiteral(":/icons/add-category.png"));
  cmdAddFeed = addButton(toolbar, "cmdAddFeed", QStringLiteral("Add Feed"), QStringLiteral(":/icons/add-feed.png"));
  toolbar->addSeparator();
  cmdEmail = addButton(toolbar, "cmdEmail", QStringLiteral("Email Article"), QStringLiteral(":/icons/email.png"));
  cmdSchedule = addButton(toolbar, "cmdSchedule", QStringLiteral("Schedule"), QStringLiteral(":/icons/schedule.png"));
  cmdSettings = addButton(toolbar, "cmdSettings", QStringLiteral("Settings"), QStringLiteral(":/icons/settings.png"));
  toolbar->addSeparator();
  cmdToggle =
      addButton(toolbar, "cmdToggle", QStringLiteral("Toggle Panel"), QStringLiteral(":/icons/toggle-panel.png"));
  cmdWindows = addButton(toolbar, "cmdWindows", QStringLiteral("Windows"), QStringLiteral(":/icons/windows.png"));
  // The website button stays at the right edge whatever the window's width.
  auto* spacer = new QWidget(toolbar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolbar->addWidget(spacer);
  cmdWebsite = addButton(toolbar, "cmdWebsite", QString(), QStringLiteral(":/icons/website.png"));
  cmdWebsite->setMinimumWidth(48);
  cmdWebsite->setToolButtonStyle(Qt::ToolButtonIconOnly);

  Command1 = new QAction(window);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F12")));
  window->addAction(Command1);
}

}  // namespace tidewell
