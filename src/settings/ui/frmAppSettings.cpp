#include "settings/ui/frmAppSettings.h"

#include "app/AppContext.h"
#include "core/ui/DialogButtons.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
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
  chkStartup_ = new QCheckBox(QStringLiteral("Start Application when I log in."), this);
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

  auto* lblNotify = heading("lblNotify", QStringLiteral("New Items:"));
  chkPopup_ = new QCheckBox(QStringLiteral("Announce new items in the program's own pop-up window."), this);
  chkPopup_->setObjectName(QStringLiteral("chkPopup"));

  auto* lblProxy = heading("lblProxy", QStringLiteral("Proxy:"));
  auto* proxyGroup = new QButtonGroup(this);
  const QString proxyTexts[3] = {QStringLiteral("Use the system's proxy settings."), QStringLiteral("HTTP proxy:"),
                                 QStringLiteral("SOCKS5 proxy:")};
  for (int i = 0; i < 3; ++i) {
    optProxy_[i] = new QRadioButton(proxyTexts[i], this);
    optProxy_[i]->setObjectName(QStringLiteral("optProxy"));
    optProxy_[i]->setProperty(WindowLocalizer::kIndexProperty, i);
    proxyGroup->addButton(optProxy_[i], i);
  }
  auto field = [this](const char* name, int width) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    if (width > 0) edit->setMaximumWidth(width);
    return edit;
  };
  txtProxyHost_ = field("txtProxyHost", 0);
  txtProxyPort_ = field("txtProxyPort", 70);
  txtProxyPort_->setValidator(new QIntValidator(1, 65535, txtProxyPort_));
  txtProxyUser_ = field("txtProxyUser", 0);
  auto* lblProxyHost = new QLabel(QStringLiteral("Host:"), this);
  lblProxyHost->setObjectName(QStringLiteral("lblProxyHost"));
  auto* lblProxyPort = new QLabel(QStringLiteral("Port:"), this);
  lblProxyPort->setObjectName(QStringLiteral("lblProxyPort"));
  auto* lblProxyUser = new QLabel(QStringLiteral("User:"), this);
  lblProxyUser->setObjectName(QStringLiteral("lblProxyUser"));
  auto* proxyFields = new QGridLayout;
  proxyFields->addWidget(lblProxyHost, 0, 0);
  proxyFields->addWidget(txtProxyHost_, 0, 1);
  proxyFields->addWidget(lblProxyPort, 0, 2);
  proxyFields->addWidget(txtProxyPort_, 0, 3);
  proxyFields->addWidget(lblProxyUser, 1, 0);
  proxyFields->addWidget(txtProxyUser_, 1, 1);
  const auto enableFields = [this] {
    const bool manual = !optProxy_[0]->isChecked();
    for (QLineEdit* edit : {txtProxyHost_, txtProxyPort_, txtProxyUser_}) edit->setEnabled(manual);
  };
  connect(proxyGroup, &QButtonGroup::idToggled, this, enableFields);
  auto* lblContent = heading("lblContent", QStringLiteral("Feed Content:"));
  chkRemotePictures_ = new QCheckBox(QStringLiteral("Load remote pictures"), this);
  chkRemotePictures_->setObjectName(QStringLiteral("chkRemotePictures"));
  // Starred items are always kept; nothing is removed until a limit is set.
  auto* lblKeep = heading("lblKeep", QStringLiteral("Stored Items of every Feed:"));
  spnKeepItems_ = new QSpinBox(this);
  spnKeepItems_->setObjectName(QStringLiteral("spnKeepItems"));
  spnKeepItems_->setRange(0, 1000000);
  auto* lblKeepItems = new QLabel(QStringLiteral("Newest items (0 = all)"), this);
  lblKeepItems->setObjectName(QStringLiteral("lblKeepItems"));
  spnKeepDays_ = new QSpinBox(this);
  spnKeepDays_->setObjectName(QStringLiteral("spnKeepDays"));
  spnKeepDays_->setRange(0, 36500);
  auto* lblKeepDays = new QLabel(QStringLiteral("Days at most (0 = any age)"), this);
  lblKeepDays->setObjectName(QStringLiteral("lblKeepDays"));
  chkKeepUnread_ = new QCheckBox(QStringLiteral("Remove unread items too"), this);
  chkKeepUnread_->setObjectName(QStringLiteral("chkKeepUnread"));
  auto* keep = new QGridLayout;
  keep->addWidget(spnKeepItems_, 0, 0);
  keep->addWidget(lblKeepItems, 0, 1);
  keep->addWidget(spnKeepDays_, 1, 0);
  keep->addWidget(lblKeepDays, 1, 1);
  keep->addWidget(chkKeepUnread_, 2, 0, 1, 2);
  keep->setColumnStretch(1, 1);

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
  layout->addWidget(lblNotify);
  layout->addWidget(chkPopup_);
  layout->addSpacing(10);
  layout->addWidget(lblProxy);
  for (QRadioButton* option : optProxy_) layout->addWidget(option);
  layout->addLayout(proxyFields);
  layout->addWidget(lblContent);
  layout->addWidget(chkRemotePictures_);
  layout->addWidget(lblKeep);
  layout->addLayout(keep);
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
  chkPopup_->setChecked(s.popupNotifications == 1);
  s.LoadProxySettings();
  optProxy_[static_cast<int>(s.proxy.mode)]->setChecked(true);
  txtProxyHost_->setText(s.proxy.host);
  txtProxyPort_->setText(s.proxy.port > 0 ? QString::number(s.proxy.port) : QString());
  txtProxyUser_->setText(s.proxy.user);
  for (QLineEdit* edit : {txtProxyHost_, txtProxyPort_, txtProxyUser_}) edit->setEnabled(!optProxy_[0]->isChecked());
  chkRemotePictures_->setChecked(s.remotePictures != 0);
  s.LoadRetentionSettings();
  spnKeepItems_->setValue(s.retentionKeep);
  spnKeepDays_->setValue(s.retentionDays);
  chkKeepUnread_->setChecked(s.retentionIncludeUnread);
}

void frmAppSettings::btnOK_Click() {
  mSettings& s = context_.settings;
  s.startWithSystem = chkStartup_->isChecked() ? 1 : 0;
  s.closeExits = optClose_[0]->isChecked() ? 1 : 0;
  s.closeMinimizes = optClose_[1]->isChecked() ? 1 : 0;
  s.popupNotifications = chkPopup_->isChecked() ? 1 : 0;
  s.proxy.mode = optProxy_[1]->isChecked()   ? ProxyConfig::Mode::Http
                 : optProxy_[2]->isChecked() ? ProxyConfig::Mode::Socks5
                                             : ProxyConfig::Mode::System;
  s.proxy.host = txtProxyHost_->text().trimmed();
  s.proxy.port = txtProxyPort_->text().toInt();
  s.proxy.user = txtProxyUser_->text();
  if (!s.SaveProxySettings()) return;
  NetworkProxy::apply(s.proxy);
  s.remotePictures = chkRemotePictures_->isChecked() ? 1 : 0;
  s.retentionKeep = spnKeepItems_->value();
  s.retentionDays = spnKeepDays_->value();
  s.retentionIncludeUnread = chkKeepUnread_->isChecked();
  if (!s.SaveRetentionSettings()) return;
  if (!s.SaveAppSettings(true)) return;
  accept();
}

}  // namespace tidewell
