#include "feeds/ui/frmViewFeed.h"

#include "app/AppContext.h"
#include "core/Utilities.h"
#include "core/ui/Platform.h"
#include "feeds/FeedFetch.h"
#include "feeds/FeedOptions.h"
#include "feeds/FeedParser.h"
#include "feeds/ViewerCheck.h"
#include "feeds/ui/ItemRow.h"
#include "feeds/ui/PreviewBrowser.h"
#include "feeds/ui/PreviewPage.h"
#include "feeds/ui/ViewerHost.h"
#include "feeds/ui/ViewerItemCommands.h"
#include "feeds/ui/ViewerReading.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tidewell {

frmViewFeed::frmViewFeed(AppContext& context, Platform& platform, ViewerHost& host, const FeedRecord& feed,
                         QWidget* parent)
    : QWidget(parent),
      context_(context),
      platform_(platform),
      host_(host),
      feedId_(feed.id),
      feedUrl_(feed.url),
      feedCaption_(feed.name),
      feedType_(feedTypeCode(feed.type)) {
  setObjectName(QStringLiteral("frmViewFeed"));
  setAttribute(Qt::WA_DeleteOnClose);
  unreadIcon_ = QIcon(QStringLiteral(":/icons/unread.png"));
  readIcon_ = QIcon(QStringLiteral(":/icons/read.png"));

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("lstItems"));
  list_->setColumnCount(4);
  list_->setHeaderLabels(
      {QStringLiteral("Title"), QStringLiteral("Published On"), QStringLiteral("date_sort"), QString()});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAlternatingRowColors(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setIconSize(QSize(16, 16));
  list_->setColumnHidden(ColDateSort, true);
  list_->header()->setSectionsClickable(true);
  list_->header()->setSortIndicatorShown(true);
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionResizeMode(ColTitle, QHeaderView::Stretch);
  list_->header()->setSectionResizeMode(ColPublished, QHeaderView::Interactive);
  list_->header()->resizeSection(ColPublished, 210);
  list_->header()->setSectionResizeMode(ColStar, QHeaderView::Fixed);
  list_->header()->resizeSection(ColStar, 28);
  list_->setContextMenuPolicy(Qt::NoContextMenu);
  list_->viewport()->installEventFilter(this);
  boldFont_ = list_->font();
  boldFont_.setBold(true);

  preview_ = new PreviewBrowser(this);
  preview_->setNetwork(platform_.network());
  preview_->setLinkHandler([this](const QUrl& url) { platform_.openUrl(url.toString()); });

  splitter_ = new QSplitter(Qt::Vertical, this);
  splitter_->setObjectName(QStringLiteral("picSplitter"));
  splitter_->setChildrenCollapsible(false);
  splitter_->setHandleWidth(6);
  reading_ = new ViewerReading(*this, context_, host_);
  commands_ = std::make_unique<ViewerItemCommands>(*this, context_, platform_, host_);
  splitter_->addWidget(reading_->wrapList(list_));
  splitter_->addWidget(preview_);
  splitter_->setStretchFactor(0, 2);
  splitter_->setStretchFactor(1, 3);
  connect(splitter_, &QSplitter::splitterMoved, this, [this](int position) { keepSplitterInBand(position); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter_);

  delay_.setObjectName(QStringLiteral("tmrDelay"));
  delay_.setSingleShot(true);
  delay_.setInterval(kDelayMs);
  connect(&delay_, &QTimer::timeout, this, [this] { LoadFeedData(true); });

  connect(list_->header(), &QHeaderView::sectionClicked, this, &frmViewFeed::sortByHeader);
  connect(list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row, int column) {
    // The selection already showed it; the star cell stars instead.
    if (reading_->consumeFollowed(row) || column == ColStar) return;
    lstItems_Click();
  });
  connect(preview_, &PreviewBrowser::navigationCompleted, this, [this] {
    const QString page = context_.paths.previewTmp();
    if (QFile::exists(page)) QFile::remove(page);
    if (isVisible()) list_->setFocus();
  });
  connect(preview_, &PreviewBrowser::keyPressedInDocument, this, [this] { list_->setFocus(); });

  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  retranslate();
  preview_->Navigate(QStringLiteral("about:blank"));
}

frmViewFeed::~frmViewFeed() = default;

QString frmViewFeed::text(const char* key) const { return context_.languages.getMessages(QLatin1String(key)); }

QString frmViewFeed::plainCaption() const {
  return hasNewItems_ ? feedCaption_ + text("MSG_WND_NEWMARK") : feedCaption_;
}

void frmViewFeed::retranslate() {
  preview_->setPlaceholderText(text("MSG_WND_PLACEHOLDER"));
  if (!loading_ && shownOnce_) setCaption(plainCaption());
}

QString frmViewFeed::itemStorePath() const { return context_.paths.itemStore(feedId_); }

void frmViewFeed::setFeed(const FeedRecord& feed) {
  feedId_ = feed.id;
  feedUrl_ = feed.url;
  feedType_ = feedTypeCode(feed.type);
  setFeedCaption(feed.name);
}

void frmViewFeed::setFeedCaption(const QString& caption) {
  feedCaption_ = caption;
  if (!loading_) setCaption(hasNewItems_ ? caption + text("MSG_WND_NEWMARK") : caption);
}

void frmViewFeed::setCaption(const QString& caption) {
  setWindowTitle(caption);
  emit captionChanged(caption);
  host_.refreshTabs();
}

void frmViewFeed::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    setCaption(feedCaption_);
    delay_.start();
  }
}

void frmViewFeed::closeEvent(QCloseEvent* event) {
  if (stillExecuting_ && !forced_) {
    context_.messages.showMessage(context_.languages.getMessages(QStringLiteral("MSG_BUSY")), QString(),
                                  MessageIcon::Exclamation);
    event->ignore();
    return;
  }
  delay_.stop();
  // Closed while checking only when forced: the check goes with the window.
  if (check_ != nullptr) check_->abort();
  event->accept();
}

void frmViewFeed::forceClose() {
  forced_ = true;
  close();
}

void frmViewFeed::LoadFeedData(bool loadStored) {
  // A load already under way finishes first; a second one would download the
  // same feed again beside the first.
  if (loading_) return;
  QPointer<frmViewFeed> self(this);
  loading_ = true;
  if (loadStored) {
    setCaption(feedCaption_ + text("MSG_WND_LOADING"));
    QCoreApplication::processEvents();
    if (!self) return;
    LoadStoredItems();
  }
  if (!checkForNewItems_) return endLoad(feedCaption_);

  if (check_ == nullptr) {
    const auto connected = [this] { return platform_.isConnected(); };
    check_ = new ViewerCheck(platform_.network(), connected, context_.messages, context_.identity.programName, this);
    connect(check_, &ViewerCheck::executingChanged, this, [this](bool executing) { stillExecuting_ = executing; });
    connect(check_, &ViewerCheck::parsing, this, [this] { setCaption(feedCaption_ + text("MSG_WND_PARSING")); });
    connect(check_, &ViewerCheck::finished, this, &frmViewFeed::onChecked);
  }
  context_.settings.LoadRetentionSettings();
  FeedCheckRequest request;
  request.url = feedUrl_;
  request.type = tidewell::feedTypeFromCode(feedType_);
  request.storePath = itemStorePath();
  request.retention = RetentionPolicy{context_.settings.retentionKeep, context_.settings.retentionDays,
                                      context_.settings.retentionIncludeUnread};
  request.timeoutMs = fetchTimeoutMs;
  request.lockWaitMs = storeLockWaitMs;
  request.debugXmlPath = context_.paths.debugXml();
  if (!check_->start(request)) return endLoad(feedCaption_);
  // The offline question may have closed the window meanwhile.
  if (!self) return;
  setCaption(feedCaption_ + text("MSG_WND_CHECKING"));
}

void frmViewFeed::onChecked(const FeedCheckResult& result) {
  stillExecuting_ = false;
  // A download that was cancelled or already reported has had its one
  // message, and what an earlier check left stays as it was.
  if (!result.answered()) return endLoad(plainCaption());
  feedData_ = result.download.body;
  feedCharset_ = result.download.charset;
  feedBase_ = result.base;
  if (result.parsed()) {
    setCaption(feedCaption_ + text("MSG_WND_UPDATING"));
    if (result.stored()) {
      AddNewItemsToList(result.merge);
    } else if (result.parsedCount > 0) {
      hasNewItems_ = false;
    }
  }
  endLoad(plainCaption());
}

void frmViewFeed::endLoad(const QString& caption) {
  loading_ = false;
  setCaption(caption);
  emit checkFinished();
}

void frmViewFeed::reloadOptions() {
  // Read with the list, not with every item shown; the feed dialog asks
  // again when it changed them.
  ownPictures_ = FeedOptions(itemStorePath()).remotePictures();
}

void frmViewFeed::LoadStoredItems() {
  stillExecuting_ = true;
  reloadOptions();
  list_->clear();
  idCounts_.clear();
  const ItemStore store(itemStorePath());
  if (!QFile::exists(store.path())) {
    stillExecuting_ = false;
    return;
  }
  const std::optional<StoredItems> stored = store.LoadStoredItems(context_.messages);
  if (!stored) {
    stillExecuting_ = false;
    return;
  }
  if (!stored->latestId.isEmpty()) latestId_ = stored->latestId;

  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<qsizetype>(stored->items.size()));
  for (const StoredItem& item : stored->items) {
    ItemRow* row = ItemRow::fromStored(item);
    setRowRead(row, item.status.toInt() != 0);
    reading_->decorate(row);
    idCounts_[item.id] = qMax(idCounts_.value(item.id), item.occurrence + 1);
    rows.append(row);
  }
  list_->addTopLevelItems(rows);
  applySort();
  if (list_->topLevelItemCount() > 0) list_->scrollToItem(list_->topLevelItem(0));
  stillExecuting_ = false;
  reading_->afterLoad();
}

void frmViewFeed::AddNewItemsToList(const MergeResult& merged) {
  hasNewItems_ = false;
  if (merged.removed > 0) {
    // The feed's limits took older rows out of the store: list what it holds now.
    sortColumn_ = ColDateSort;
    sortOrder_ = Qt::DescendingOrder;
    LoadStoredItems();
    hasNewItems_ = merged.added > 0;
    if (merged.added > 0) {
      latestId_ = merged.latestId;
      emit itemsChanged(feedId_);
    }
    return;
  }
  QList<QTreeWidgetItem*> rows;
  for (const FeedItem& item : merged.addedItems) {
    ItemRow* row = ItemRow::fromNew(item, idCounts_.value(item.id), text("MSG_WND_NODATE"));
    idCounts_[item.id] = idCounts_.value(item.id) + 1;
    setRowRead(row, false);
    reading_->decorate(row);
    rows.prepend(row);
  }
  list_->insertTopLevelItems(0, rows);
  if (merged.added > 0) {
    hasNewItems_ = true;
    latestId_ = merged.latestId;
    emit itemsChanged(feedId_);
  }
  sortColumn_ = ColDateSort;
  sortOrder_ = Qt::DescendingOrder;
  applySort();
}

void frmViewFeed::applySort() {
  list_->sortItems(sortColumn_, sortOrder_);
  list_->header()->setSortIndicator(sortColumn_ == ColTitle ? ColTitle : ColPublished, sortOrder_);
}

void frmViewFeed::sortByHeader(int column) {
  if (column == ColTitle) {
    sortColumn_ = ColTitle;
  } else if (column == ColPublished) {
    sortColumn_ = ColDateSort;
  }
  sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  applySort();
}

void frmViewFeed::setRowRead(QTreeWidgetItem* row, bool read) {
  row->setData(ColTitle, UnreadRole, !read);
  row->setIcon(ColTitle, read ? readIcon_ : unreadIcon_);
  const QFont font = read ? list_->font() : boldFont_;
  row->setFont(ColTitle, font);
  row->setFont(ColPublished, font);
}

QTreeWidgetItem* frmViewFeed::selectedRow() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

void frmViewFeed::lstItems_Click() {
  if (list_->topLevelItemCount() == 0 || !selectedRow()) return;
  host_.enableSendByEmail();
  ShowItemPreview();
}

bool frmViewFeed::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) {
      // Selected for the menu, not shown (and so not marked read).
      if (QTreeWidgetItem* row = list_->itemAt(mouse->position().toPoint())) {
        const QSignalBlocker quiet(list_);
        list_->setCurrentItem(row);
      }
      if (list_->topLevelItemCount() > 0 && selectedRow()) host_.popupItemMenu(mouse->globalPosition().toPoint());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

std::optional<QString> frmViewFeed::pageOfRow(QTreeWidgetItem* row, FeedItem& info) {
  const QString templatePath = context_.paths.viewTpl();
  if (!util::FileExists(templatePath)) {
    context_.messages.showMessage(QStringLiteral("Required Preview object file is missing or hidden. Please "
                                                 "reinstall application to resolve this issue."),
                                  QStringLiteral("Error!"), MessageIcon::Exclamation);
    return std::nullopt;
  }
  const QString templateText = util::ReadTextFile(templatePath);
  if (util::IsBlank(templateText)) {
    context_.messages.showMessage(
        QStringLiteral("Invalid Item Preview object data. Either file is damaged or replaced by another file. Please "
                       "reinstall the Application to resolve this issue."),
        QStringLiteral("Invalid Preview data object!"), MessageIcon::Exclamation);
    return std::nullopt;
  }
  const ItemRef ref{row->data(ColTitle, IdRole).toString(), row->data(ColTitle, OccurrenceRole).toInt()};
  if (!ItemStore(itemStorePath()).ItemOperation(ref, QStringLiteral("getinfo"), false, context_.messages, &info)) {
    context_.messages.showMessage(
        QStringLiteral("Application failed to access details for selected Feed Item. Either item is deleted or Feed "
                       "Data file is not accessible to application."),
        QStringLiteral("Failed to locate item in Feed Data File!"), MessageIcon::Exclamation);
    return std::nullopt;
  }
  // The shipped template's own words, in the current language.
  QString localized = templateText;
  localized.replace(QStringLiteral(">Open original<"),
                    QLatin1Char('>') + text("MSG_WND_OPENORIGINAL") + QLatin1Char('<'));
  localized.replace(QStringLiteral(">Shown by "), QLatin1Char('>') + text("MSG_WND_SHOWNBY"));
  return PreviewPage::fill(localized, info, context_.identity.programName,
                           context_.languages.getMessages(QStringLiteral("MSG_SEC_CUT")));
}

void frmViewFeed::ShowItemPreview() {
  QTreeWidgetItem* row = selectedRow();
  if (!row) return;
  const bool unread = row->data(ColTitle, UnreadRole).toBool();
  const ItemRef ref{row->data(ColTitle, IdRole).toString(), row->data(ColTitle, OccurrenceRole).toInt()};
  FeedItem info;
  const std::optional<QString> page = pageOfRow(row, info);
  if (!page) return;
  currentItem_ = info;
  setRowRead(row, true);
  const QString pageFile = context_.paths.previewTmp();
  if (!util::WriteTextFile(pageFile, *page, &context_.messages)) return;
  preview_->setLinkBase(QUrl(info.link));
  // The feed's own choice, else the application's.
  preview_->setRemotePictures(ownPictures_.value_or(context_.settings.remotePictures != 0));
  preview_->Navigate2(pageFile);
  // Saving a large store takes longer than showing the item: the read mark
  // is written once the preview is on screen, before any later command.
  if (unread) {
    const ItemStore store(itemStorePath());
    QMetaObject::invokeMethod(
        this,
        [this, store, ref] {
          store.ItemOperation(ref, QStringLiteral("read"), false, context_.messages);
          emit itemsChanged(feedId_);
        },
        Qt::QueuedConnection);
  }
}

void frmViewFeed::HandlePopupMenu(const QString& action) { commands_->run(action); }

QString frmViewFeed::selectedEnclosure() const {
  const QTreeWidgetItem* row = selectedRow();
  return row ? row->data(ColTitle, MediaRole).toString() : QString();
}

void frmViewFeed::keepSplitterInBand(int position) {
  const int height = splitter_->height();
  if (height > 0) {
    const double share = static_cast<double>(position) / height;
    if (share < 0.2 || share > 0.8) {
      if (!splitterSizes_.isEmpty()) splitter_->setSizes(splitterSizes_);
      return;
    }
  }
  splitterSizes_ = splitter_->sizes();
}

}  // namespace tidewell
