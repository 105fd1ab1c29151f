#include "scheduler/ui/frmScheduler.h"

#include "app/AppContext.h"
#include "core/ui/DialogButtons.h"
#include "feeddb/CategoryTree.h"
#include "feeddb/FeedType.h"
#include "feeddb/mCategories.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tidewell {

namespace {

QIcon feedIcon(int image) {
  switch (image) {
    case 4: return QIcon(QStringLiteral(":/icons/tree-atom.png"));
    case 5: return QIcon(QStringLiteral(":/icons/tree-podcast.png"));
    default: return QIcon(QStringLiteral(":/icons/tree-rss.png"));
  }
}

QTreeWidget* makeList(QWidget* parent, const char* name) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QLatin1String(name));
  list->setColumnCount(1);
  list->setHeaderLabels({QStringLiteral("Feed Source")});
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setMinimumSize(230, 180);
  list->header()->setStretchLastSection(true);
  return list;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setWordWrap(true);
  return label;
}

}  // namespace

frmScheduler::frmScheduler(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("frmScheduler"));
  setWindowTitle(QStringLiteral("Scheduler"));
  setModal(true);

  fmScheduleOpt_ = new QGroupBox(QStringLiteral("Step 1: Enable Scheduler ... "), this);
  fmScheduleOpt_->setObjectName(QStringLiteral("fmScheduleOpt"));
  chkEnableScheduler_ =
      new QCheckBox(QStringLiteral("Enable Scheduled Check of selected Feed Sources."), fmScheduleOpt_);
  chkEnableScheduler_->setObjectName(QStringLiteral("chkEnableScheduler"));
  (new QVBoxLayout(fmScheduleOpt_))->addWidget(chkEnableScheduler_);

  const QString groupTitles[2] = {QStringLiteral("Step 2: Select Feed Sources ... "),
                                  QStringLiteral("Step 3: Configure Scheduler ... ")};
  for (int i = 0; i < 2; ++i) {
    fmContainer_[i] = new QGroupBox(groupTitles[i], this);
    // One name per group: group titles are translated by name alone.
    fmContainer_[i]->setObjectName(QStringLiteral("fmContainer%1").arg(i));
  }

  lstSources_ = makeList(fmContainer_[0], "lstSources");
  lstSchedule_ = makeList(fmContainer_[0], "lstSchedule");
  auto* sources = new QGridLayout(fmContainer_[0]);
  sources->addWidget(lstSources_, 0, 0);
  sources->addWidget(lstSchedule_, 0, 1);
  sources->addWidget(
      makeLabel(fmContainer_[0], "lblSourcesHint", QStringLiteral("Double-click to Add to list of Scheduled Sources.")),
      1, 0);
  sources->addWidget(makeLabel(fmContainer_[0], "lblScheduleHint",
                               QStringLiteral("Double-click to Remove from list of Scheduled Sources.")),
                     1, 1);

  cmbInterval_ = new QComboBox(fmContainer_[1]);
  cmbInterval_->setObjectName(QStringLiteral("cmbInterval"));
  cmbInterval_->addItems(mSettings::intervalTexts());
  chkNotify_ = new QCheckBox(QStringLiteral("Show Notification Popup."), fmContainer_[1]);
  chkNotify_->setObjectName(QStringLiteral("chkNotify"));
  chkSound_ = new QCheckBox(QStringLiteral("Play Sound File."), fmContainer_[1]);
  chkSound_->setObjectName(QStringLiteral("chkSound"));
  auto* configure = new QGridLayout(fmContainer_[1]);
  configure->addWidget(makeLabel(fmContainer_[1], "lblInterval", QStringLiteral("Schedule Interval:")), 0, 0);
  configure->addWidget(cmbInterval_, 1, 0);
  configure->addWidget(makeLabel(fmContainer_[1], "lblNewItems", QStringLiteral("When New Items Found ... ")), 0, 1);
  configure->addWidget(chkNotify_, 1, 1);
  configure->addWidget(chkSound_, 2, 1);
  configure->setColumnStretch(1, 1);
  configure->setHorizontalSpacing(24);

  const DialogButtons dialogButtons = makeDialogButtons(this);
  btnOK_ = dialogButtons.ok;
  btnCancel_ = dialogButtons.cancel;
  QHBoxLayout* buttons = dialogButtons.row;

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fmScheduleOpt_);
  layout->addWidget(fmContainer_[0], 1);
  layout->addWidget(fmContainer_[1]);
  layout->addLayout(buttons);
  resize(560, 520);

  connect(chkEnableScheduler_, &QCheckBox::toggled, this, &frmScheduler::chkEnableScheduler_Click);
  connect(chkNotify_, &QCheckBox::toggled, this, &frmScheduler::chkNotify_Click);
  connect(lstSources_, &QTreeWidget::itemDoubleClicked, this, &frmScheduler::lstSources_DblClick);
  connect(lstSchedule_, &QTreeWidget::itemDoubleClicked, this, &frmScheduler::lstSchedule_DblClick);
  connect(btnOK_, &QPushButton::clicked, this, &frmScheduler::btnOK_Click);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  Form_Load();
}

void frmScheduler::Form_Load() {
  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  setWindowTitle(context_.languages.getMessages(clsLanguages::captionMessageKey(objectName())));
  // List entries are not controls: their translations are looked up here.
  for (int i = 0; i < cmbInterval_->count(); ++i) {
    const QString text =
        context_.languages.getCaption(clsLanguages::arrayKey(objectName(), cmbInterval_->objectName(), i));
    if (!text.isEmpty()) cmbInterval_->setItemText(i, text);
  }
  fillSources();
  fillSchedule();
}

void frmScheduler::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  for (QTreeWidget* list : {lstSources_, lstSchedule_}) list->setColumnWidth(0, list->viewport()->width());
}

QTreeWidgetItem* frmScheduler::addItem(QTreeWidget* list, const QString& key, const QString& text, int image,
                                       const QString& tag) {
  auto* item = new QTreeWidgetItem(list, {text});
  item->setIcon(0, feedIcon(image));
  item->setToolTip(0, tag);
  item->setData(0, kKeyRole, key);
  item->setData(0, kTagRole, tag);
  item->setData(0, kImageRole, image);
  return item;
}

void frmScheduler::fillSources() {
  lstSources_->clear();
  // The category tree's order: categories by name, each with its feeds.
  CategoryTree tree;
  mCategories(context_.paths, context_.messages).LoadCategories(tree);
  for (const CategoryNode& category : tree.root().children) {
    for (const CategoryNode& feed : category.children) {
      if (CategoryTree::isFeedKey(feed.key)) addItem(lstSources_, feed.key, feed.text, feed.image, feed.tag);
    }
  }
}

void frmScheduler::fillSchedule() {
  mSettings& s = context_.settings;
  [[maybe_unused]] const Status loaded = s.LoadSchedulerSettings(true);
  chkEnableScheduler_->setChecked(s.schedulerEnabled == 1);
  cmbInterval_->setCurrentIndex(mSettings::isValidInterval(s.interval) ? s.interval : -1);
  chkNotify_->setChecked(s.notify == 1);
  chkSound_->setChecked(s.playSound == 1);
  // setChecked raises no toggle when the state is unchanged: set the
  // dependent controls from the boxes whatever they were before.
  chkEnableScheduler_Click();
  chkNotify_Click();
  lstSchedule_->clear();
  for (const ScheduleEntry& entry : s.scheduleList) {
    if (entry.feedId.isEmpty()) continue;
    addItem(lstSchedule_, entry.feedId, entry.caption, feedTypeImage(feedTypeFromCode(entry.feedType)), entry.url);
  }
}

void frmScheduler::chkEnableScheduler_Click() {
  for (QGroupBox* group : fmContainer_) group->setEnabled(chkEnableScheduler_->isChecked());
}

void frmScheduler::chkNotify_Click() { chkSound_->setEnabled(chkNotify_->isChecked()); }

void frmScheduler::lstSources_DblClick() {
  QTreeWidgetItem* selected = lstSources_->currentItem();
  if (lstSources_->topLevelItemCount() == 0 || selected == nullptr) return;
  const QString key = selected->data(0, kKeyRole).toString();
  for (int i = 0; i < lstSchedule_->topLevelItemCount(); ++i) {
    if (lstSchedule_->topLevelItem(i)->data(0, kKeyRole).toString() == key) {
      context_.messages.showMessage(QStringLiteral("Selected Source is already added to the Schedule List."),
                                    QStringLiteral("Source already in Schedule List!"), MessageIcon::Exclamation);
      return;
    }
  }
  addItem(lstSchedule_, key, selected->text(0), selected->data(0, kImageRole).toInt(),
          selected->data(0, kTagRole).toString());
}

void frmScheduler::lstSchedule_DblClick() {
  QTreeWidgetItem* selected = lstSchedule_->currentItem();
  if (lstSchedule_->topLevelItemCount() == 0 || selected == nullptr) return;
  const QString question = QStringLiteral("Are you sure you want to Remove \"") + selected->text(0) +
                           QStringLiteral("\" from Schedule List?");
  if (!context_.messages.askYesNo(question, QStringLiteral("Remove from Schedule List?"))) return;
  delete lstSchedule_->takeTopLevelItem(lstSchedule_->indexOfTopLevelItem(selected));
}

void frmScheduler::btnOK_Click() {
  if (!chkEnableScheduler_->isChecked()) {
    if (!context_.messages.askYesNo(QStringLiteral("You've selected to Disable Scheduler. Continue?"),
                                    QStringLiteral("Disable Scheduler?"))) {
      return;
    }
  } else {
    if (lstSchedule_->topLevelItemCount() == 0) {
      context_.messages.showMessage(
          QStringLiteral("You've enabled Scheduler, but no Feed Sources are configured for Scheduled check."),
          QStringLiteral("No Sources Selected!"), MessageIcon::Exclamation);
      return;
    }
    if (cmbInterval_->currentIndex() < 0) {
      context_.messages.showMessage(QStringLiteral("Please set Schedule Execution Interval."),
                                    QStringLiteral("Execution Frequency?"), MessageIcon::Exclamation);
      cmbInterval_->setFocus();
      return;
    }
  }
  mSettings& s = context_.settings;
  s.scheduleList.clear();
  s.schedulerEnabled = chkEnableScheduler_->isChecked() ? 1 : 0;
  s.interval = static_cast<qint16>(cmbInterval_->currentIndex());
  s.notify = chkNotify_->isChecked() ? 1 : 0;
  s.playSound = chkSound_->isChecked() ? 1 : 0;
  s.soundFile = s.defaultSoundFile();
  for (int i = 0; i < lstSchedule_->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = lstSchedule_->topLevelItem(i);
    ScheduleEntry entry;
    entry.feedId = item->data(0, kKeyRole).toString();
    entry.feedType = feedTypeCode(feedTypeOfImage(item->data(0, kImageRole).toInt()));
    entry.url = item->data(0, kTagRole).toString();
    entry.caption = item->text(0);
    s.scheduleList.append(entry);
  }
  if (!s.SaveSchedulerSettings(true)) return;
  accept();
}

}  // namespace tidewell
