#include "app/ui/frmMain.h"

#include "app/ui/FeedTabs.h"

#include "TidewellConfig.h"
#include "app/AppContext.h"
#include "app/ui/MainCommands.h"
#include "app/ui/MainMenus.h"
#include "app/ui/OpmlTransfer.h"
#include "app/ui/ReadingController.h"
#include "app/ui/ScheduleController.h"
#include "app/ui/SystemTray.h"
#include "app/ui/TrayCommands.h"
#include "app/ui/TreeCommands.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmConfirmClose.h"
#include "core/AppFolderSetup.h"
#include "core/Utilities.h"
#include "core/ui/Platform.h"
#include "email/ui/SendItemByEmail.h"
#include "feeddb/FeedType.h"
#include "feeddb/mFeeds.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/frmOptionBar.h"
#include "feeds/ui/frmViewFeed.h"
#include "l10n/ui/WindowLocalizer.h"
#include "l10n/ui/frmLanguage.h"
#include "scheduler/NotificationService.h"
#include "scheduler/ui/DesktopNotifier.h"
#include "scheduler/ui/frmScheduler.h"
#include "settings/ui/frmAppSettings.h"
#include "settings/ui/frmEmailSettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace tidewell {

namespace {

const QString kSettings = QStringLiteral("Settings");

}  // namespace

frmMain::frmMain(AppContext& context, Platform& platform, QWidget* parent)
    : QMainWindow(parent), context_(context), platform_(platform) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(context_.identity.programName);
  resize(1180, 760);
  setDockOptions(QMainWindow::AnimatedDocks);
  notificationService_ = std::make_unique<NotificationService>(
      QDBusConnection::sessionBus(), context_.identity.programName, QString::fromUtf8(config::kDesktopId));
  notifier_ = std::make_unique<DesktopNotifier>(context_.languages, notificationService_.get(), platform_);
  notifier_->setPopupPreference([this] {
    context_.settings.LoadAppSettings();
    return context_.settings.popupNotifications == 1;
  });
  connect(notifier_.get(), &DesktopNotifier::feedRequested, this, &frmMain::showFeedFromAnnouncement);
  opml_ = new OpmlTransfer(context_, *this, platform_);

  menus_ = std::make_unique<MainMenus>(this);
  tray_ = new SystemTray(*this, context_, *menus_, platform_);
  trayCommands_ = std::make_unique<TrayCommands>(*this, *tray_, platform_);
  connect(tray_, &SystemTray::commandChosen, this, &frmMain::HandleSystrayMenu);

  tabs_ = new FeedTabs(this, menus_->mnuWindows, menus_->mnuSubItem);
  oTabs_ = tabs_->area();
  treeCommands_ = std::make_unique<TreeCommands>(context_, platform_, *this, *tabs_);
  setCentralWidget(oTabs_);

  buildStatusBar();
  schedule_ = std::make_unique<ScheduleController>(context_, platform_, notifier_.get(),
                                                   *menus_->mnuToolsExecuteSchedule, *panels_[3]);
  connectMainCommands(*this, *menus_);
}

frmMain::~frmMain() {
  // The viewers and their frames talk to this window while they go away:
  // they go first, while it is still whole.
  unloading_ = true;
  tabs_->setUnloading();
  const QList<QMdiSubWindow*> windows = oTabs_->subWindowList();
  for (QMdiSubWindow* sub : windows) sub->disconnect(this);
  qDeleteAll(windows);
}

void frmMain::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("ucStatus"));
  bar->setSizeGripEnabled(true);
  for (int i = 0; i < 4; ++i) {
    panels_[i] = new QLabel(bar);
    panels_[i]->setObjectName(QStringLiteral("ucStatusPanel%1").arg(i + 1));
    panels_[i]->setContentsMargins(6, 0, 6, 0);
  }
  panels_[0]->setText(QStringLiteral("Ready"));
  bar->addWidget(panels_[0], 1);
  for (int i = 1; i < 4; ++i) bar->addPermanentWidget(panels_[i]);
  panels_[3]->setText(QStringLiteral("Status: Ready."));
}

QLabel* frmMain::statusPanel(int number) const { return number >= 1 && number <= 4 ? panels_[number - 1] : nullptr; }

void frmMain::Form_Load() {
  setWindowTitle(context_.identity.programName);
  // A folder that cannot be prepared shows its own messages when the tree
  // loads: there is nothing more to tell here.
  (void)PrepareAppFolder(context_.paths);

  ucFormDock_ = new frmOptionBar(context_, *this, this);
  addDockWidget(Qt::LeftDockWidgetArea, ucFormDock_);
  resizeDocks({ucFormDock_}, {270}, Qt::Horizontal);
  connect(ucFormDock_, &frmOptionBar::closedByUser, this, [this] { menus_->mnuToolsOptionBar->setChecked(false); });
  // Before the language is applied: its menu entries are localized with the rest.
  reading_ = new ReadingController(context_, *this);

  rebuildWindowsMenu();
  // Sending needs an item: the first click on one enables it.
  menus_->mnuToolsSendByEmail->setEnabled(false);
  menus_->cmdEmail->setEnabled(false);
  panels_[1]->setText(QLocale().toString(QDate::currentDate(), QStringLiteral("dddd, dd MMMM yyyy")));

  const QString firstRunMarker = context_.userStore.userValue(kSettings, QStringLiteral("Language"), QString());
  context_.currentLanguage =
      context_.userStore.userValue(kSettings, QStringLiteral("Language"), clsLanguages::kDefaultLanguage);
  if (context_.currentLanguage.isEmpty()) context_.currentLanguage = clsLanguages::kDefaultLanguage;
  WindowLocalizer(context_.languages).ChangeLanguageMDI(this, context_.currentLanguage);
  // The docked panel localized itself before the language was known.
  WindowLocalizer(context_.languages).applyLoaded(ucFormDock_);
  retranslate();
  if (firstRunMarker.isEmpty()) {
    context_.userStore.setUserValue(kSettings, QStringLiteral("Language"), clsLanguages::kDefaultLanguage);
    showLanguageWindow(true);
  }

  if (context_.commandSwitch == CommandSwitch::StartInTray) AddToSystemTray();

  context_.settings.setSchedulerSavedHandler([this] { EnableSchedule(false); });
  EnableSchedule(true);

  QIcon icon;
  for (const char* size : {"16", "22", "24", "32", "48", "64", "128", "256"})
    icon.addFile(QStringLiteral(":/icons/tidewell-%1.png").arg(QLatin1String(size)));
  setWindowIcon(icon);

  retranslate();

  reading_->restoreLayout();

  if (context_.userStore.userValue(kSettings, QStringLiteral("showHelp"), QStringLiteral("1")) == QLatin1String("1")) {
    openHelpFile();
    QCoreApplication::processEvents();
    context_.userStore.setUserValue(kSettings, QStringLiteral("showHelp"), QStringLiteral("0"));
    context_.userStore.setMachineValue(kSettings, QStringLiteral("showHelp"), QStringLiteral("0"));
  }
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (unloading_) {
    event->accept();
    return;
  }
  if (context_.settings.GetConfirmClose()) {
    if (!confirmClose()) {
      event->ignore();
      // "Keep Running": a window already in the tray stays there, with its
      // icon; a shown one goes there the way a minimise sends it.
      if (tray_->inTray()) {
        tray_->AddToSystemTray();
      } else {
        showMinimized();
      }
      return;
    }
  }
  Form_Unload();
  event->accept();
}

void frmMain::Form_Unload() {
  unloading_ = true;
  // A scheduled check in progress stops before its next feed.
  schedule_->stop();
  tray_->remove();
  if (reading_) reading_->saveLayout();
  for (frmViewFeed* viewer : viewers()) viewer->forceClose();
  emit unloaded();
}

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && !unloading_) {
    // After the state change has run its course: showMinimized() shows the
    // window again right after this event, which would undo the hide.
    QTimer::singleShot(0, &lifetime_, [this] {
      if ((windowState() & Qt::WindowMinimized) && !unloading_ && !tray_->inTray()) AddToSystemTray();
    });
  }
}

void frmMain::retranslate() {
  const clsLanguages& l = context_.languages;
  setWindowTitle(context_.identity.programName + l.getMessages(QStringLiteral("MSG_WND_BY")) +
                 context_.identity.companyName);
  menus_->cmdWebsite->setToolTip(l.getMessages(QStringLiteral("MSG_WND_VISIT")) + context_.identity.website);
  const bool shown = isVisible() && !tray_->inTray();
  menus_->mnuSysTrayShow->setText(
      l.getMessages(shown && tray_->oSysTray() ? QStringLiteral("MSG_WND_HIDE") : QStringLiteral("MSG_WND_SHOW")));
  if (!schedule_->running()) panels_[3]->setText(l.getMessages(QStringLiteral("MSG_WND_READY")));
  if (CategoryTreeWidget* tree = tvCategories()) tree->retranslate();
}

void frmMain::AddToSystemTray() { tray_->putWindowInTray(); }

bool frmMain::inSystemTray() const { return tray_->inTray(); }

void frmMain::HandleSystrayMenu(const QString& action) { trayCommands_->run(action); }

void frmMain::showFeedFromAnnouncement(const QString& feedId) {
  const std::optional<FeedRecord> feed = mFeeds(context_.paths, context_.messages).FindFeed(feedId);
  if (!feed) return;  // deleted since the announcement
  showFromAnotherStart();
  OpenFeedWindow(feed->name, feed->id, feed->url, static_cast<qint16>(feed->type), false);
}

void frmMain::showFromAnotherStart() {
  if (!unloading_) tray_->bringWindowForward();
}

void frmMain::UnloadAllForms() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == this || !window->isVisible()) continue;
    // The program's own windows only: Qt's helper windows (on X11 the tray
    // icon is one, and menus and tooltips) are not ours to close.
    const bool ours =
        qobject_cast<QDialog*>(window) != nullptr || window->objectName().startsWith(QLatin1String("frm"));
    if (ours) window->close();
  }
}

// --- Scheduler timer -------------------------------------------------------

void frmMain::EnableSchedule(bool reload) { schedule_->EnableSchedule(reload); }
void frmMain::tmrSchedule_Timer() { schedule_->tmrSchedule_Timer(); }
void frmMain::scheduleEnded() { schedule_->scheduleEnded(); }
ScheduleTimer& frmMain::tmrSchedule() { return schedule_->timer(); }
mScheduler& frmMain::scheduler() { return schedule_->scheduler(); }

// --- Feed windows ----------------------------------------------------------

QList<frmViewFeed*> frmMain::viewers() const { return tabs_->viewers(); }

frmViewFeed* frmMain::activeViewer() const { return tabs_->activeViewer(); }

bool frmMain::IsFeedOpen(const QString& url, bool activate) { return tabs_->find(url, activate) != nullptr; }

void frmMain::OpenFeedWindow(const QString& caption, const QString& id, const QString& url, qint16 type,
                             bool checkForNewItems) {
  FeedRecord feed;
  feed.id = id;
  feed.url = url;
  feed.name = caption;
  feed.type = feedTypeFromCode(type);
  if (IsFeedOpen(url, true)) {
    if (frmViewFeed* viewer = activeViewer()) {
      viewer->setFeed(feed);
      viewer->setCheckForNewItems(checkForNewItems);
      viewer->LoadFeedData(false);
    }
    return;
  }
  auto* viewer = new frmViewFeed(context_, platform_, *this, feed);
  viewer->setCheckForNewItems(checkForNewItems);
  if (reading_) reading_->viewerOpened(*viewer);
  tabs_->add(viewer, feedTypeFromCode(type));
  refreshTabs();
}

void frmMain::feedRenamed(const QString& id, const QString& name) { tabs_->rename(id, name); }

void frmMain::refreshTabs() {
  // Tabs follow their windows' titles; the window list follows the tabs.
  if (!unloading_) rebuildWindowsMenu();
}

void frmMain::rebuildWindowsMenu() { tabs_->rebuildWindowsMenu(); }

void frmMain::enableSendByEmail() {
  menus_->mnuToolsSendByEmail->setEnabled(true);
  menus_->cmdEmail->setEnabled(true);
}

void frmMain::popupItemMenu(const QPoint& globalPos) {
  // The enclosure entries only for an item that has one.
  const frmViewFeed* viewer = activeViewer();
  const bool enclosure = viewer != nullptr && !viewer->selectedEnclosure().isEmpty();
  menus_->mnuFeedItemPlay->setEnabled(enclosure);
  menus_->mnuFeedItemDownload->setEnabled(enclosure);
  menus_->mnuFeedItem->popup(globalPos);
}
void frmMain::popupFeedMenu(const QPoint& globalPos) { menus_->mnuFeeds->popup(globalPos); }
void frmMain::popupCategoryMenu(const QPoint& globalPos) { menus_->mnuCat->popup(globalPos); }
void frmMain::setNewFeedEnabled(bool enabled) { menus_->mnuCatNewFeed->setEnabled(enabled); }

void frmMain::nextUnreadAfter(const QString& feedId) {
  if (reading_) reading_->nextUnreadAfter(feedId);
}

void frmMain::deleteSelectedItem() { mnuFeedItemDel_Click(); }

CategoryTreeWidget* frmMain::tvCategories() const { return ucFormDock_ ? ucFormDock_->tvCategories() : nullptr; }

QTreeWidgetItem* frmMain::selectedNode() const {
  CategoryTreeWidget* tree = tvCategories();
  return tree ? tree->selectedNode() : nullptr;
}

void frmMain::passToViewer(const QString& action) {
  if (frmViewFeed* viewer = activeViewer()) viewer->HandlePopupMenu(action);
}

void frmMain::openSelectedFeed(bool check) {
  QTreeWidgetItem* node = selectedNode();
  if (!CategoryTreeWidget::isFeed(node)) return;
  OpenFeedWindow(node->text(0), CategoryTreeWidget::keyOf(node), CategoryTreeWidget::tagOf(node),
                 feedTypeCode(feedTypeOfImage(CategoryTreeWidget::imageOf(node))), check);
}

void frmMain::openHelpFile() {
  const QString help = context_.paths.helpFile();
  if (util::FileExists(help)) platform_.openFile(help);
}

// --- Commands ----------------------------------------------------------------

void frmMain::mnuFileItem_Click() { close(); }

void frmMain::mnuCatNew_Click() { treeCommands_->newCategory(); }
void frmMain::mnuCatEdit_Click() { treeCommands_->editCategory(); }
void frmMain::mnuCatDel_Click() { treeCommands_->deleteCategory(); }
void frmMain::mnuCatNewFeed_Click() { mnuFeedsAdd_Click(); }
void frmMain::mnuCatRefresh_Click() { treeCommands_->reloadTree(); }
void frmMain::mnuFeedsCheck_Click() { openSelectedFeed(true); }
void frmMain::mnuFeedsOpen_Click() { openSelectedFeed(false); }
void frmMain::mnuFeedsAdd_Click() { treeCommands_->addFeed(); }
void frmMain::mnuFeedsEdit_Click() { treeCommands_->editFeed(); }
void frmMain::mnuFeedsDel_Click() { treeCommands_->deleteFeed(); }

void frmMain::mnuToolsEmailSettings_Click() {
  frmEmailSettings dialog(context_, this);
  platform_.runModal(dialog);
}

void frmMain::mnuToolsSchedule_Click() {
  frmScheduler dialog(context_, this);
  platform_.runModal(dialog);
}

void frmMain::mnuToolsAppSettings_Click() {
  frmAppSettings dialog(context_, this);
  platform_.runModal(dialog);
}

void frmMain::mnuToolsSendByEmail_Click() { mnuFeedItemEmail_Click(); }

void frmMain::mnuToolsExecuteSchedule_Click() { tmrSchedule_Timer(); }

void frmMain::mnuToolsOptionBar_Click() { setOptionBarShown(!ucFormDock_->isVisible()); }

void frmMain::setOptionBarShown(bool shown) {
  menus_->mnuToolsOptionBar->setChecked(shown);
  if (ucFormDock_) ucFormDock_->setVisible(shown);
}

void frmMain::mnuLanguageItem_Click() { showLanguageWindow(false); }

void frmMain::showLanguageWindow(bool modal) {
  auto apply = [this](const QString& language) {
    WindowLocalizer localizer(context_.languages);
    localizer.ChangeLanguageMDI(this, language);
    if (ucFormDock_ != nullptr) localizer.applyLoaded(ucFormDock_);
    // Open viewers take the new column headers too.
    for (frmViewFeed* viewer : viewers()) {
      localizer.applyLoaded(viewer);
      viewer->retranslate();
    }
    retranslate();
  };
  if (modal) {
    frmLanguage dialog(context_, platform_, apply, this);
    platform_.runModal(dialog);
    return;
  }
  auto* window = new frmLanguage(context_, platform_, apply, this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
}

bool frmMain::confirmClose() {
  frmConfirmClose dialog(context_, this);
  dialog.setTrayAvailable(tray_->available());
  platform_.runModal(dialog);
  return dialog.result();
}

void frmMain::mnuHelpFile_Click() { openHelpFile(); }

void frmMain::mnuAboutItem_Click() {
  auto* about = new frmAbout(context_, this);
  connect(about, &frmAbout::websiteRequested, this, &frmMain::cmdWebsite_Click);
  about->show();
}

void frmMain::mnuHelpWebsite_Click() { cmdWebsite_Click(); }

void frmMain::cmdWebsite_Click() {
  QString address = context_.identity.website;
  if (!address.contains(QLatin1String("https://")) && !address.contains(QLatin1String("http://"))) {
    address.prepend(QStringLiteral("http://"));
  }
  platform_.openUrl(address);
}

void frmMain::cmdWindows_Click() { menus_->mnuWindows->popup(QCursor::pos()); }

void frmMain::mnuFeedItemShow_Click() { passToViewer(QStringLiteral("show")); }
void frmMain::mnuFeedItemOnline_Click() { passToViewer(QStringLiteral("online")); }

void frmMain::mnuFeedItemDel_Click() {
  if (!activeViewer()) return;
  const clsLanguages& l = context_.languages;
  if (context_.messages.askYesNo(l.getMessages(QStringLiteral("MSG_DELETE5")),
                                 l.getMessages(QStringLiteral("MSG_DELETE3")))) {
    passToViewer(QStringLiteral("del"));
  }
}

void frmMain::mnuFeedItemExport_Click(int index) {
  passToViewer(index == 0 ? QStringLiteral("html") : QStringLiteral("txt"));
}

void frmMain::mnuFeedItemEmail_Click() { passToViewer(QStringLiteral("email")); }

void frmMain::showEmailSettings() { mnuToolsEmailSettings_Click(); }

void frmMain::sendItemByEmail(const QString& channelName, const QString& title, const QString& link,
                              const QString& description) {
  // The viewer has made sure a server is set and email.tpl exists.
  ShowSendEmailWindow(context_, platform_, this, channelName, title, link, description);
}

void frmMain::Command1_Click() { WindowLocalizer(context_.languages).makeLocalizationFile({this, ucFormDock_}); }

}  // namespace tidewell
