#include "feeddb/ui/frmAddFeed.h"

#include "app/AppContext.h"
#include "core/RuntimeError.h"
#include "core/Utilities.h"
#include "core/ui/ComboAutoComplete.h"
#include "core/ui/Platform.h"
#include "feeddb/FeedRecord.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeds/DownloadCancel.h"
#include "feeds/FeedOptions.h"
#include "feeds/FeedValidation.h"
#include "feeds/ItemStore.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tidewell {

namespace {

const char* const kTag = "tag";
const QString kProceed = QStringLiteral("proceed");
const QString kOk = QStringLiteral("ok");

}  // namespace

frmAddFeed::frmAddFeed(AppContext& context, Platform& platform, std::function<void()> reloadTree, QWidget* parent)
    : QDialog(parent), context_(context), platform_(platform), reloadTree_(std::move(reloadTree)) {
  setObjectName(QStringLiteral("frmAddFeed"));
  setWindowTitle(QStringLiteral("Add New Feed ..."));
  setModal(true);

  lblInfo0_ = new QLabel(QStringLiteral("Feed URL:"), this);
  lblInfo0_->setObjectName(QStringLiteral("lblInfo0"));
  txtURL_ = new QLineEdit(this);
  txtURL_->setObjectName(QStringLiteral("txtURL"));
  txtURL_->setMinimumWidth(380);
  txtURL_->setPlaceholderText(QStringLiteral("https://"));

  fmDetails_ = new QFrame(this);
  fmDetails_->setObjectName(QStringLiteral("fmDetails"));
  lblInfo1_ = new QLabel(QStringLiteral("Feed Title:"), fmDetails_);
  lblInfo1_->setObjectName(QStringLiteral("lblInfo1"));
  txtChannel_ = new QLineEdit(fmDetails_);
  txtChannel_->setObjectName(QStringLiteral("txtChannel"));
  lblInfo2_ = new QLabel(QStringLiteral("Category:"), fmDetails_);
  lblInfo2_->setObjectName(QStringLiteral("lblInfo2"));
  cmbCategories_ = new QComboBox(fmDetails_);
  cmbCategories_->setObjectName(QStringLiteral("cmbCategories"));
  ComboAutoComplete::install(cmbCategories_, false, false);
  lblKeep_ = new QLabel(QStringLiteral("Keep:"), fmDetails_);
  lblKeep_->setObjectName(QStringLiteral("lblKeep"));
  chkKeepDefault_ = new QCheckBox(QStringLiteral("As set for all feeds"), fmDetails_);
  chkKeepDefault_->setObjectName(QStringLiteral("chkKeepDefault"));
  chkKeepDefault_->setChecked(true);
  spnKeepItems_ = new QSpinBox(fmDetails_);
  spnKeepItems_->setObjectName(QStringLiteral("spnKeepItems"));
  spnKeepItems_->setRange(0, 1000000);
  lblKeepItems_ = new QLabel(QStringLiteral("Newest items (0 = all)"), fmDetails_);
  lblKeepItems_->setObjectName(QStringLiteral("lblKeepItems"));
  spnKeepDays_ = new QSpinBox(fmDetails_);
  spnKeepDays_->setObjectName(QStringLiteral("spnKeepDays"));
  spnKeepDays_->setRange(0, 36500);
  lblKeepDays_ = new QLabel(QStringLiteral("Days at most (0 = any age)"), fmDetails_);
  lblKeepDays_->setObjectName(QStringLiteral("lblKeepDays"));
  chkKeepUnread_ = new QCheckBox(QStringLiteral("Remove unread items too"), fmDetails_);
  chkKeepUnread_->setObjectName(QStringLiteral("chkKeepUnread"));
  auto* details = new QGridLayout(fmDetails_);
  details->setContentsMargins(0, 0, 0, 0);
  details->addWidget(lblInfo1_, 0, 0);
  details->addWidget(txtChannel_, 0, 1, 1, 2);
  details->addWidget(lblInfo2_, 1, 0);
  details->addWidget(cmbCategories_, 1, 1, 1, 2);
  details->addWidget(lblKeep_, 2, 0);
  details->addWidget(chkKeepDefault_, 2, 1, 1, 2);
  details->addWidget(spnKeepItems_, 3, 1);
  details->addWidget(lblKeepItems_, 3, 2);
  details->addWidget(spnKeepDays_, 4, 1);
  details->addWidget(lblKeepDays_, 4, 2);
  details->addWidget(chkKeepUnread_, 5, 1, 1, 2);
  lblPictures_ = new QLabel(QStringLiteral("Remote pictures:"), fmDetails_);
  lblPictures_->setObjectName(QStringLiteral("lblPictures"));
  cmbPictures_ = new QComboBox(fmDetails_);
  cmbPictures_->setObjectName(QStringLiteral("cmbPictures"));
  details->addWidget(lblPictures_, 6, 0);
  details->addWidget(cmbPictures_, 6, 1, 1, 2);
  details->setColumnMinimumWidth(0, 80);
  details->setColumnStretch(2, 1);
  // Starred items are always kept; the limits apply at each check and by the prune command.
  const auto followDefault = [this](bool useDefault) {
    spnKeepItems_->setEnabled(!useDefault);
    spnKeepDays_->setEnabled(!useDefault);
    chkKeepUnread_->setEnabled(!useDefault);
  };
  connect(chkKeepDefault_, &QCheckBox::toggled, this, followDefault);
  followDefault(true);

  picFooter_ = new QLabel(this);
  picFooter_->setObjectName(QStringLiteral("picFooter"));
  picFooter_->setFrameShape(QFrame::HLine);
  picFooter_->setFrameShadow(QFrame::Sunken);
  btnOK_ = new QPushButton(QStringLiteral("Proceed..."), this);
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnOK_->setProperty(kTag, kProceed);
  btnOK_->setDefault(true);
  btnOK_->setMinimumWidth(100);
  btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));

  auto* url = new QGridLayout;
  url->addWidget(lblInfo0_, 0, 0);
  url->addWidget(txtURL_, 0, 1);
  url->setColumnMinimumWidth(0, 80);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(url);
  layout->addWidget(fmDetails_);
  layout->addWidget(picFooter_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  fmDetails_->hide();

  connect(btnOK_, &QPushButton::clicked, this, &frmAddFeed::btnOK_Click);
  connect(btnCancel_, &QPushButton::clicked, this, &frmAddFeed::reject);
}

void frmAddFeed::Form_Load() {
  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  setWindowTitle(context_.languages.getMessages(clsLanguages::captionMessageKey(objectName())));
  if (EditMode != 0) {
    setWindowTitle(context_.languages.getMessages(QStringLiteral("MSG_WND_EDITFEEDTITLE")));
    // An edited feed keeps its category (moving is done in the tree); the
    // store looks for the feed in the category named here.
    cmbCategories_->setEnabled(false);
  } else {
    setWindowTitle(context_.languages.getMessages(QStringLiteral("MSG_WND_ADDFEEDTITLE")));
  }
  QStringList names;
  mCategories(context_.paths, context_.messages).LoadCategories(names);
  cmbCategories_->clear();
  cmbCategories_->addItems(names);
  cmbCategories_->setCurrentIndex(names.indexOf(categoryName));
  if (cmbCategories_->currentIndex() < 0) cmbCategories_->setEditText(QString());
  loadRetention();
  loadPictures();
}

// The feed's own choice of remote pictures; the first entry follows the
// application's setting.
void frmAddFeed::loadPictures() {
  const clsLanguages& l = context_.languages;
  cmbPictures_->clear();
  cmbPictures_->addItem(l.getMessages(QStringLiteral("MSG_PIC_DEFAULT")));
  cmbPictures_->addItem(l.getMessages(QStringLiteral("MSG_PIC_LOAD")), true);
  cmbPictures_->addItem(l.getMessages(QStringLiteral("MSG_PIC_BLOCK")), false);
  std::optional<bool> own;
  if (EditMode != 0 && !FeedID.isEmpty()) own = FeedOptions(context_.paths.itemStore(FeedID)).remotePictures();
  cmbPictures_->setCurrentIndex(!own ? 0 : (*own ? 1 : 2));
}

void frmAddFeed::storePictures(const QString& feedId) {
  const FeedOptions options(context_.paths.itemStore(feedId));
  const QVariant data = cmbPictures_->currentData();
  const std::optional<bool> chosen = data.isValid() ? std::optional<bool>(data.toBool()) : std::nullopt;
  if (chosen == options.remotePictures()) return;
  if (!options.setRemotePictures(chosen)) {
    reportRuntimeError(context_.messages, QStringLiteral("SavePictures"), 1,
                       QStringLiteral("Cannot save the remote pictures choice in ") + context_.paths.itemStore(feedId));
  }
}

void frmAddFeed::loadRetention() {
  std::optional<RetentionPolicy> own;
  if (EditMode != 0 && !FeedID.isEmpty()) own = ItemStore(context_.paths.itemStore(FeedID)).ReadRetention();
  chkKeepDefault_->setChecked(!own.has_value());
  const RetentionPolicy shown = own.value_or(RetentionPolicy{});
  spnKeepItems_->setValue(shown.keepItems);
  spnKeepDays_->setValue(shown.keepDays);
  chkKeepUnread_->setChecked(shown.includeUnread);
}

void frmAddFeed::storeRetention(const QString& feedId) {
  const ItemStore itemStore(context_.paths.itemStore(feedId));
  const std::optional<RetentionPolicy> chosen =
      chkKeepDefault_->isChecked() ? std::nullopt
                                   : std::optional<RetentionPolicy>(RetentionPolicy{
                                         spnKeepItems_->value(), spnKeepDays_->value(), chkKeepUnread_->isChecked()});
  if (chosen == itemStore.ReadRetention()) return;
  if (!itemStore.WriteRetention(chosen)) {
    reportRuntimeError(context_.messages, QStringLiteral("SaveRetention"), 1,
                       QStringLiteral("Cannot save the retention choice in ") + itemStore.path());
  }
}

QString frmAddFeed::stage() const { return btnOK_->property(kTag).toString(); }

void frmAddFeed::btnOK_Click() {
  if (stage() == kOk) {
    store();
  } else {
    validate();
  }
}

void frmAddFeed::reject() {
  if (validation_) {
    validation_->cancel();
    return;
  }
  QDialog::reject();
}

int frmAddFeed::chooseFeed(const QList<DiscoveredFeed>& feeds) {
  QStringList choices;
  for (const DiscoveredFeed& feed : feeds)
    choices << (feed.title.isEmpty() ? feed.url : feed.title + QStringLiteral(" \u2014 ") + feed.url);
  QInputDialog picker(this);
  picker.setObjectName(QStringLiteral("dlgPickFeed"));
  picker.setWindowTitle(windowTitle());
  picker.setLabelText(context_.languages.getMessages(QStringLiteral("MSG_DSK_PICK_FEED")));
  picker.setComboBoxItems(choices);
  picker.setComboBoxEditable(false);
  picker.setTextValue(choices.value(0));
  if (platform_.runModal(picker) != QDialog::Accepted) return -1;
  return int(choices.indexOf(picker.textValue()));
}

void frmAddFeed::validate() {
  if (util::IsBlank(txtURL_->text())) {
    context_.messages.showMessage(QStringLiteral("Please specify Feed URL."), QStringLiteral("Feed URL?"),
                                  MessageIcon::Exclamation);
    txtURL_->setFocus();
    return;
  }
  txtURL_->setEnabled(false);
  btnOK_->setEnabled(false);
  btnOK_->setText(context_.languages.getMessages(QStringLiteral("MSG_WND_VALIDATING")));

  CheckFeedRequest request;
  request.url = txtURL_->text().trimmed();
  request.debugXmlPath = context_.paths.debugXml();
  request.timeoutMs = validationTimeoutMs;
  request.isConnected = [this] { return platform_.isConnected(); };
  request.manager = platform_.network();
  request.chooseFeed = [this](const QList<DiscoveredFeed>& feeds) { return chooseFeed(feeds); };
  DownloadCancel cancel;
  request.cancel = &cancel;
  validation_ = &cancel;
  const FeedDetection detection = CheckFeed(request, context_.messages);
  validation_ = nullptr;
  // The page's feed is what gets subscribed; the user sees which.
  if (detection.ok() && !detection.feedUrl.isEmpty()) txtURL_->setText(detection.feedUrl);
  typeOfFeed_ = static_cast<qint16>(detection.ok() ? detection.type : -1);
  // An edited feed keeps the name the user gave it: the channel's title
  // fills the box only for a new feed, or when the box is empty.
  if (detection.ok() && detection.hasTitle && (EditMode == 0 || util::IsBlank(txtChannel_->text()))) {
    txtChannel_->setText(detection.title);
  }

  txtURL_->setEnabled(true);
  btnOK_->setEnabled(true);
  if (typeOfFeed_ < 0) {
    txtURL_->selectAll();
    txtURL_->setFocus();
    btnOK_->setText(context_.languages.getMessages(QStringLiteral("MSG_WND_PROCEED")));
    return;
  }
  txtURL_->setEnabled(false);
  btnOK_->setText(QStringLiteral("OK"));
  btnOK_->setProperty(kTag, kOk);
  fmDetails_->show();
  txtChannel_->setFocus();
}

void frmAddFeed::store() {
  const QString category = cmbCategories_->currentText();
  mCategories categories(context_.paths, context_.messages);
  // A feed without a category would be stored where the tree never shows it.
  if (util::IsBlank(category) || (!categories.CategoryExists(category) && !categories.AddCategory(category))) {
    context_.messages.showMessage(
        QStringLiteral("Application failed to create specified Category. Please try some other Category name or "
                       "choose from existing ones."),
        QStringLiteral("Failed to Create Category!"), MessageIcon::Exclamation);
    return;
  }
  FeedRecord record;
  record.name = txtChannel_->text();
  record.category = category;
  record.type = feedTypeFromCode(typeOfFeed_);
  record.url = txtURL_->text();
  record.id = EditMode != 0 ? FeedID : util::NewFeedID();
  mFeeds feeds(context_.paths, context_.messages);
  const bool stored = EditMode != 0 ? feeds.EditFeed(record, false) : feeds.AddFeed(record);
  if (!stored) return;
  storeRetention(record.id);
  storePictures(record.id);
  if (reloadTree_) reloadTree_();
  accept();
}

}  // namespace tidewell
