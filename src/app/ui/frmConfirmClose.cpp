#include "app/ui/frmConfirmClose.h"

#include "app/AppContext.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidewell {

frmConfirmClose::frmConfirmClose(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("frmConfirmClose"));
  setWindowTitle(QStringLiteral("Minimizing to System Tray ..."));
  setModal(true);

  const QString texts[4] = {
      QStringLiteral("Application will be minimized to System Tray."),
      QStringLiteral("This software can continue running in your System Tray, so that scheduled tasks will be "
                     "executed in time."),
      QStringLiteral("Note:"), QStringLiteral("You can change this behavior anytime from Application Settings Panel.")};
  QLabel** lblInfo = lblInfo_;
  for (int i = 0; i < 4; ++i) {
    lblInfo[i] = new QLabel(texts[i], this);
    // One name per label: labels are translated by name alone.
    lblInfo[i]->setObjectName(QStringLiteral("lblInfo%1").arg(i));
    lblInfo[i]->setWordWrap(true);
  }
  QFont bold = lblInfo[0]->font();
  bold.setBold(true);
  lblInfo[0]->setFont(bold);
  lblInfo[2]->setFont(bold);
  chkAlwaysClose_ = new QCheckBox(
      QStringLiteral("Always Exit completely when I close program; don't execute scheduled Tasks."), this);
  chkAlwaysClose_->setObjectName(QStringLiteral("chkAlwaysClose"));
  chkDontShow_ = new QCheckBox(QStringLiteral("Don't show this Reminder again."), this);
  chkDontShow_->setObjectName(QStringLiteral("chkDontShow"));
  const QString captions[2] = {QStringLiteral("Close Now!"), QStringLiteral("Keep Running")};
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (int i = 0; i < 2; ++i) {
    btnOK_[i] = new QPushButton(captions[i], this);
    btnOK_[i]->setObjectName(QStringLiteral("btnOK"));
    btnOK_[i]->setProperty(WindowLocalizer::kIndexProperty, i);
    btnOK_[i]->setMinimumWidth(110);
    buttons->addWidget(btnOK_[i]);
    connect(btnOK_[i], &QPushButton::clicked, this, [this, i] { btnOK_Click(i); });
  }
  btnOK_[1]->setDefault(true);

  auto* note = new QHBoxLayout;
  note->addWidget(lblInfo[2], 0, Qt::AlignTop);
  note->addWidget(lblInfo[3], 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblInfo[0]);
  layout->addWidget(lblInfo[1]);
  layout->addSpacing(6);
  layout->addWidget(chkAlwaysClose_);
  layout->addWidget(chkDontShow_);
  layout->addSpacing(6);
  layout->addLayout(note);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  setFixedWidth(540);
  Form_Load();
}

void frmConfirmClose::Form_Load() {
  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  setWindowTitle(context_.languages.getMessages(clsLanguages::captionMessageKey(objectName())));
  context_.settings.LoadAppSettings();
  chkAlwaysClose_->setChecked(context_.settings.closeExits == 1);
  trayText_ = lblInfo_[0]->text();
  connect(chkAlwaysClose_, &QCheckBox::toggled, this, [this] { updateOutcome(); });
  updateOutcome();
}

void frmConfirmClose::setTrayAvailable(bool available) {
  trayAvailable_ = available;
  updateOutcome();
}

void frmConfirmClose::updateOutcome() {
  const clsLanguages& l = context_.languages;
  if (chkAlwaysClose_->isChecked()) {
    lblInfo_[0]->setText(l.getMessages(QStringLiteral("MSG_WND_CLOSEEXIT")));
  } else if (!trayAvailable_) {
    lblInfo_[0]->setText(l.getMessages(QStringLiteral("MSG_WND_CLOSETASKBAR")));
  } else {
    lblInfo_[0]->setText(trayText_);
  }
}

void frmConfirmClose::btnOK_Click(int index) {
  mSettings& s = context_.settings;
  s.SetConfirmClose(!chkDontShow_->isChecked());
  s.LoadAppSettings();
  s.closeExits = chkAlwaysClose_->isChecked() ? 1 : 0;
  s.closeMinimizes = s.closeExits == 1 ? 0 : 1;
  [[maybe_unused]] const Status saved = s.SaveAppSettings(false);
  result_ = index == 0;
  accept();
}

}  // namespace tidewell
