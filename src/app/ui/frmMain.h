#pragma once

#include "feeddb/ui/TreeHost.h"
#include "feeds/ui/ViewerHost.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTreeWidgetItem;

namespace tidewell {

struct AppContext;
struct MainMenus;
class CategoryTreeWidget;
class frmOptionBar;
class FeedTabs;
class frmViewFeed;
class DesktopNotifier;
class NotificationService;
class OpmlTransfer;
class Platform;
class ReadingController;
class ScheduleController;
class ScheduleTimer;
class SystemTray;
class TrayCommands;
class TreeCommands;
class mScheduler;

// The main window: the category panel docked at its side, one tab per open
// feed viewer, the toolbar, the menus, the four-panel status bar and the
// scheduler timer. What it and the windows it opens need from the desktop
// comes through the platform it is given.
//
// Each menu and toolbar command has its own slot named after the control
// (mnuCatNew_Click ...). Commands that open a dialog call the dialog's slot;
// those whose window is not part of this file show nothing yet.
class frmMain : public QMainWindow, public TreeHost, public ViewerHost {
  Q_OBJECT

 public:
  frmMain(AppContext& context, Platform& platform, QWidget* parent = nullptr);
  ~frmMain() override;

  // The load sequence: folders and database, panel, tabs, date, language,
  // "-s", scheduler, icon, caption, website tooltip, first-run help.
  void Form_Load();

  // Re-arms the scheduler timer from the scheduler settings (read again from
  // AppCfg.cfg with reload).
  void EnableSchedule(bool reload);
  void AddToSystemTray();
  void HandleSystrayMenu(const QString& action);
  // Another start of the program handed over: the user wants to see the
  // window, wherever it is (tray, minimised, behind others).
  void showFromAnotherStart();
  // A new-items announcement's feed: the window comes forward with its tab.
  void showFeedFromAnnouncement(const QString& feedId);
  // Closes every window of the program but this one.
  void UnloadAllForms();
  // The captions this window sets itself, in the current language.
  void retranslate();

  // TreeHost
  bool IsFeedOpen(const QString& url, bool activate) override;
  void OpenFeedWindow(const QString& caption, const QString& id, const QString& url, qint16 type,
                      bool checkForNewItems) override;
  void popupFeedMenu(const QPoint& globalPos) override;
  void popupCategoryMenu(const QPoint& globalPos) override;
  void setNewFeedEnabled(bool enabled) override;
  void feedRenamed(const QString& id, const QString& name) override;

  // ViewerHost
  void refreshTabs() override;
  void enableSendByEmail() override;
  void popupItemMenu(const QPoint& globalPos) override;
  void showEmailSettings() override;
  void sendItemByEmail(const QString& channelName, const QString& title, const QString& link,
                       const QString& description) override;
  void nextUnreadAfter(const QString& feedId) override;
  void deleteSelectedItem() override;

  // Parts, for the dialogs and the tests.
  MainMenus& menus() { return *menus_; }
  QMdiArea* mdiArea() const { return oTabs_; }
  frmOptionBar* optionBar() const { return ucFormDock_; }
  CategoryTreeWidget* tvCategories() const;
  ScheduleTimer& tmrSchedule();
  mScheduler& scheduler();
  ScheduleController& schedule() { return *schedule_; }
  QLabel* statusPanel(int number) const;  // 1..4
  frmViewFeed* activeViewer() const;
  QList<frmViewFeed*> viewers() const;
  bool isUnloading() const { return unloading_; }
  // True while the window lives in the notification area instead of on screen.
  bool inSystemTray() const;
  SystemTray& systemTray() { return *tray_; }
  DesktopNotifier& notifier() { return *notifier_; }
  OpmlTransfer& opml() { return *opml_; }
  // Counts, mark read, update all, search and the remembered layout (after Form_Load).
  ReadingController* reading() const { return reading_; }
  // Hands an item command ("play", "download", ...) to the active viewer.
  void passToViewer(const QString& action);

 public slots:
  void mnuFileItem_Click();
  void mnuCatNew_Click();
  void mnuCatEdit_Click();
  void mnuCatDel_Click();
  void mnuCatNewFeed_Click();
  void mnuCatRefresh_Click();
  void mnuFeedsCheck_Click();
  void mnuFeedsOpen_Click();
  void mnuFeedsAdd_Click();
  void mnuFeedsEdit_Click();
  void mnuFeedsDel_Click();
  void mnuToolsEmailSettings_Click();
  void mnuToolsSchedule_Click();
  void mnuToolsAppSettings_Click();
  void mnuToolsSendByEmail_Click();
  void mnuToolsExecuteSchedule_Click();
  void mnuToolsOptionBar_Click();
  void mnuLanguageItem_Click();
  void mnuHelpFile_Click();
  void mnuAboutItem_Click();
  void mnuHelpWebsite_Click();
  void mnuFeedItemShow_Click();
  void mnuFeedItemOnline_Click();
  void mnuFeedItemDel_Click();
  void mnuFeedItemExport_Click(int index);
  void mnuFeedItemEmail_Click();
  void cmdWebsite_Click();
  void cmdWindows_Click();
  void Command1_Click();
  void tmrSchedule_Timer();
  // The scheduled run ended (or could not start): the window is ready again.
  void scheduleEnded();

  // The first-run language window (modal) and the language command's (not modal).
  void showLanguageWindow(bool modal);
  // The close confirmation; true for "Close Now!".
  bool confirmClose();

 signals:
  // The window has unloaded: the program ends.
  void unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  // No toolbar and panel menu: the panel is shown and hidden by the Option
  // Bar command alone, which keeps its check mark right.
  QMenu* createPopupMenu() override { return nullptr; }

 private:
  void buildStatusBar();
  void rebuildWindowsMenu();
  void setOptionBarShown(bool shown);
  void openSelectedFeed(bool check);
  void openHelpFile();
  void Form_Unload();
  QTreeWidgetItem* selectedNode() const;

  AppContext& context_;
  Platform& platform_;
  std::unique_ptr<MainMenus> menus_;
  FeedTabs* tabs_;
  QMdiArea* oTabs_;
  frmOptionBar* ucFormDock_ = nullptr;
  QLabel* panels_[4] = {};
  bool unloading_ = false;
  SystemTray* tray_ = nullptr;
  std::unique_ptr<NotificationService> notificationService_;
  std::unique_ptr<DesktopNotifier> notifier_;
  std::unique_ptr<ScheduleController> schedule_;
  std::unique_ptr<TrayCommands> trayCommands_;
  std::unique_ptr<TreeCommands> treeCommands_;
  OpmlTransfer* opml_ = nullptr;
  ReadingController* reading_ = nullptr;
  // Context of connections from windows that may outlive this one's members
  // (frames closed but not yet deleted): it goes before the base classes do.
  QObject lifetime_;
};

}  // namespace tidewell
