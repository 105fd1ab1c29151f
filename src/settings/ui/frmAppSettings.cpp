#include "settings/ui/frmAppSettings.h"

#include "app/AppContext.h"
#include "core/ui/DialogButtons.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tidewell {

frmAppSettings::frmAppSettings(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("frmAppSettings"));
  setWindowTitle(QStringLiteral("Application Settings"));
  setModal(true);

  auto heading = [this](const char* name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
  };
  auto* lblStartup = heading("lblStartup", QStringLiteral("Application Startup:"));
  chkStartup_ = new QCheckBox(QStringLiteral("Start Application on Windows Startup."), this);
  chkStartup_->setObjectName(QStringLiteral("chkStartup"));
  auto* lblClosing = heading("lblClosing", QStringLiteral("Application Closing:"));
  auto* group = new QButtonGroup(this);
  const QString texts[2] = {QStringLiteral("Close Completely."), QStringLiteral("Minimize to System Tray.")};
  for (int i = 0; i < 2; ++i) {
    optClose_[i] = new QRadioButton(texts[i], this);
    optClose_[i]->setObjectName(QStringLiteral("optClose"));
    optClose_[i]->setProperty(WindowLocalizer::kIndexProperty, i);
    group->addButton(optClose_[i], i);
  }

  auto* lblContent = heading("lblContent", QStringLiteral("Feed Content:"));
  chkRemotePictures_ = new QCheckBox(QStringLiteral("Load remote pictures"), this);
  chkRemotePictures_->setObjectName(QStringLiteral("chkRemotePictures"));

  const DialogButtons dialogButtons = makeDialogButtons(this);
  btnOK_ = dialogButtons.ok;
  btnCancel_ = dialogButtons.cancel;
  QHBoxLayout* buttons = dialogButtons.row;

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblStartup);
  layout->addWidget(chkStartup_);
  layout->addSpacing(10);
  layout->addWidget(lblClosing);
  layout->addWidget(optClose_[0]);
  layout->addWidget(optClose_[1]);
  layout->addSpacing(10);
  layout->addWidget(lblContent);
  layout->addWidget(chkRemotePictures_);
  layout->addSpacing(12);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(340);

  connect(btnOK_, &QPushButton::clicked, this, &frmAppSettings::btnOK_Click);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  Form_Load();
}

void frmAppSettings::Form_Load() {
  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  setWindowTitle(context_.languages.getMessages(clsLanguages::captionMessageKey(objectName())));
  mSettings& s = context_.settings;
  s.LoadAppSettings();
  chkStartup_->setChecked(s.startWithSystem == 1);
  optClose_[0]->setChecked(s.closeExits == 1);
  optClose_[1]->setChecked(s.closeMinimizes == 1);
  chkRemotePictures_->setChecked(s.remotePictures != 0);
}

void frmAppSettings::btnOK_Click() {
  mSettings& s = context_.settings;
  s.startWithSystem = chkStartup_->isChecked() ? 1 : 0;
  s.closeExits = optClose_[0]->isChecked() ? 1 : 0;
  s.closeMinimizes = optClose_[1]->isChecked() ? 1 : 0;
  s.remotePictures = chkRemotePictures_->isChecked() ? 1 : 0;
  if (!s.SaveAppSettings(true)) return;
  accept();
}

}  // namespace tidewell
