#include "app/ui/MainCommands.h"

#include "app/ui/MainMenus.h"
#include "app/ui/OpmlTransfer.h"
#include "app/ui/frmMain.h"

#include <QAction>
#include <QToolButton>

namespace tidewell {

namespace {

// The item menu's entries the viewer carries out itself.
void passOn(frmMain& window, QAction* action, const QString& command) {
  QObject::connect(action, &QAction::triggered, &window, [&window, command] { window.passToViewer(command); });
}

// A tray menu entry runs the window's tray command of that name.
void trayCommand(frmMain& window, QAction* action, const QString& command) {
  QObject::connect(action, &QAction::triggered, &window, [&window, command] { window.HandleSystrayMenu(command); });
}

}  // namespace

void connectMainCommands(frmMain& window, MainMenus& m) {
  frmMain* w = &window;
  QObject::connect(m.mnuFileItem, &QAction::triggered, w, &frmMain::mnuFileItem_Click);
  QObject::connect(m.mnuFileImportOpml, &QAction::triggered, w, [w] {
    if (w->opml().importOpml()) w->mnuCatRefresh_Click();
  });
  QObject::connect(m.mnuFileExportOpml, &QAction::triggered, w, [w] { w->opml().exportOpml(); });
  QObject::connect(m.mnuCatNew, &QAction::triggered, w, &frmMain::mnuCatNew_Click);
  QObject::connect(m.mnuCatEdit, &QAction::triggered, w, &frmMain::mnuCatEdit_Click);
  QObject::connect(m.mnuCatDel, &QAction::triggered, w, &frmMain::mnuCatDel_Click);
  QObject::connect(m.mnuCatNewFeed, &QAction::triggered, w, &frmMain::mnuCatNewFeed_Click);
  QObject::connect(m.mnuCatRefresh, &QAction::triggered, w, &frmMain::mnuCatRefresh_Click);
  QObject::connect(m.mnuFeedsCheck, &QAction::triggered, w, &frmMain::mnuFeedsCheck_Click);
  QObject::connect(m.mnuFeedsOpen, &QAction::triggered, w, &frmMain::mnuFeedsOpen_Click);
  QObject::connect(m.mnuFeedsAdd, &QAction::triggered, w, &frmMain::mnuFeedsAdd_Click);
  QObject::connect(m.mnuFeedsEdit, &QAction::triggered, w, &frmMain::mnuFeedsEdit_Click);
  QObject::connect(m.mnuFeedsDel, &QAction::triggered, w, &frmMain::mnuFeedsDel_Click);
  QObject::connect(m.mnuToolsEmailSettings, &QAction::triggered, w, &frmMain::mnuToolsEmailSettings_Click);
  QObject::connect(m.mnuToolsSchedule, &QAction::triggered, w, &frmMain::mnuToolsSchedule_Click);
  QObject::connect(m.mnuToolsAppSettings, &QAction::triggered, w, &frmMain::mnuToolsAppSettings_Click);
  QObject::connect(m.mnuToolsSendByEmail, &QAction::triggered, w, &frmMain::mnuToolsSendByEmail_Click);
  QObject::connect(m.mnuToolsExecuteSchedule, &QAction::triggered, w, &frmMain::mnuToolsExecuteSchedule_Click);
  QObject::connect(m.mnuToolsOptionBar, &QAction::triggered, w, &frmMain::mnuToolsOptionBar_Click);
  QObject::connect(m.mnuLanguageItem, &QAction::triggered, w, &frmMain::mnuLanguageItem_Click);
  QObject::connect(m.mnuHelpFile, &QAction::triggered, w, &frmMain::mnuHelpFile_Click);
  QObject::connect(m.mnuAboutItem, &QAction::triggered, w, &frmMain::mnuAboutItem_Click);
  QObject::connect(m.mnuHelpWebsite, &QAction::triggered, w, &frmMain::mnuHelpWebsite_Click);
  QObject::connect(m.mnuFeedItemShow, &QAction::triggered, w, &frmMain::mnuFeedItemShow_Click);
  QObject::connect(m.mnuFeedItemOnline, &QAction::triggered, w, &frmMain::mnuFeedItemOnline_Click);
  passOn(window, m.mnuFeedItemPlay, QStringLiteral("play"));
  passOn(window, m.mnuFeedItemDownload, QStringLiteral("download"));
  QObject::connect(m.mnuFeedItemDel, &QAction::triggered, w, &frmMain::mnuFeedItemDel_Click);
  QObject::connect(m.mnuFeedItemExportHtml, &QAction::triggered, w, [w] { w->mnuFeedItemExport_Click(0); });
  QObject::connect(m.mnuFeedItemExportTxt, &QAction::triggered, w, [w] { w->mnuFeedItemExport_Click(1); });
  QObject::connect(m.mnuFeedItemEmail, &QAction::triggered, w, &frmMain::mnuFeedItemEmail_Click);
  QObject::connect(m.Command1, &QAction::triggered, w, &frmMain::Command1_Click);

  trayCommand(window, m.mnuSysTrayShow, QStringLiteral("show"));
  trayCommand(window, m.mnuSysTrayAddFeed, QStringLiteral("add_feed"));
  trayCommand(window, m.mnuSysTrayEmailSettings, QStringLiteral("email_settings"));
  trayCommand(window, m.mnuSysTraySchedule, QStringLiteral("scheduler_settings"));
  trayCommand(window, m.mnuSysTrayAppSettings, QStringLiteral("app_settings"));
  trayCommand(window, m.mnuSysTrayHelpFile, QStringLiteral("help_file"));
  trayCommand(window, m.mnuSysTrayContactUs, QStringLiteral("help_email"));
  trayCommand(window, m.mnuSysTrayWebsite, QStringLiteral("help_website"));
  trayCommand(window, m.mnuSysTrayExit, QStringLiteral("close"));

  QObject::connect(m.cmdAddCat, &QToolButton::clicked, w, &frmMain::mnuCatNew_Click);
  QObject::connect(m.cmdAddFeed, &QToolButton::clicked, w, &frmMain::mnuFeedsAdd_Click);
  QObject::connect(m.cmdEmail, &QToolButton::clicked, w, &frmMain::mnuFeedItemEmail_Click);
  QObject::connect(m.cmdSchedule, &QToolButton::clicked, w, &frmMain::mnuToolsSchedule_Click);
  QObject::connect(m.cmdSettings, &QToolButton::clicked, w, &frmMain::mnuToolsAppSettings_Click);
  QObject::connect(m.cmdToggle, &QToolButton::clicked, w, &frmMain::mnuToolsOptionBar_Click);
  QObject::connect(m.cmdWindows, &QToolButton::clicked, w, &frmMain::cmdWindows_Click);
  QObject::connect(m.cmdWebsite, &QToolButton::clicked, w, &frmMain::cmdWebsite_Click);
}

}  // namespace tidewell
