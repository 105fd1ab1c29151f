#include "settings/ui/frmEmailSettings.h"

#include "app/AppContext.h"
#include "core/Utilities.h"
#include "core/ui/DialogButtons.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tidewell {

namespace {

const char* const kTag = "tag";

// The choices in the order the box lists them, with the messages naming them.
const std::pair<SmtpSecurity, const char*> kSecurities[] = {{SmtpSecurity::StartTls, "MSG_SMTP_STARTTLS"},
                                                            {SmtpSecurity::Tls, "MSG_SMTP_TLS"},
                                                            {SmtpSecurity::None, "MSG_SMTP_NONE"}};

}  // namespace

frmEmailSettings::frmEmailSettings(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("frmEmailSettings"));
  setWindowTitle(QStringLiteral("Email Server Settings ... "));
  setModal(true);

  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto field = [&](const char* name, const char* labelName, const QString& label, const QString& message) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    box->setProperty(kTag, message);
    box->setMinimumWidth(280);
    auto* caption = new QLabel(label, this);
    caption->setObjectName(QLatin1String(labelName));
    caption->setBuddy(box);
    form->addRow(caption, box);
    fields_.append(box);
    return box;
  };
  txtSMTP_ = field("txtSMTP", "lblSMTP", QStringLiteral("SMTP Server:"),
                   QStringLiteral("Please specify SMTP Email Server Name."));
  txtPort_ = field("txtPort", "lblPort", QStringLiteral("Port:"),
                   QStringLiteral("Please specify SMTP Port Number. (Default = 25)."));
  txtPort_->setMaximumWidth(80);
  txtPort_->setMinimumWidth(80);
  // Digits only; Backspace and the cursor keys keep working.
  txtPort_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtPort_));
  cmbSecurity_ = new QComboBox(this);
  cmbSecurity_->setObjectName(QStringLiteral("cmbSecurity"));
  for (const auto& [security, key] : kSecurities) {
    cmbSecurity_->addItem(context_.languages.getMessages(QLatin1String(key)), static_cast<int>(security));
  }
  auto* securityLabel = new QLabel(QStringLiteral("Security:"), this);
  securityLabel->setObjectName(QStringLiteral("lblSecurity"));
  securityLabel->setBuddy(cmbSecurity_);
  form->addRow(securityLabel, cmbSecurity_);
  chkAuth_ = new QCheckBox(QStringLiteral("My Server Requires Authentication."), this);
  chkAuth_->setObjectName(QStringLiteral("chkAuth"));
  form->addRow(QString(), chkAuth_);
  txtUsername_ = field("txtUsername", "lblUsername", QStringLiteral("User Name:"),
                       QStringLiteral("Please specify User Name to Authenticate your SMTP Email account. This is the "
                                      "same User name that you use to check your Email Inbox online."));
  txtPassword_ = field("txtPassword", "lblPassword", QStringLiteral("Password:"),
                       QStringLiteral("Please specify Password to Authenticate your SMTP Email account. This is the "
                                      "same Password that you use to check your Email Inbox online."));
  txtPassword_->setEchoMode(QLineEdit::Password);
  txtFromName_ = field("txtFromName", "lblFromName", QStringLiteral("From-Name:"),
                       QStringLiteral("Please specify \"From Name\". This will appear in Recipients' Inbox as "
                                      "\"Email Sender's Name\"."));
  txtFromEmail_ = field("txtFromEmail", "lblFromEmail", QStringLiteral("From-Email:"),
                        QStringLiteral("Please specify \"From Email\". Recipients will send Reply to this Email "
                                       "address. Make sure that Email address you specify here is allowed to pass "
                                       "through specified SMTP Server."));

  const DialogButtons dialogButtons = makeDialogButtons(this);
  btnOK_ = dialogButtons.ok;
  btnCancel_ = dialogButtons.cancel;
  QHBoxLayout* buttons = dialogButtons.row;
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(chkAuth_, &QCheckBox::toggled, this, &frmEmailSettings::chkAuth_Click);
  connect(cmbSecurity_, &QComboBox::currentIndexChanged, this, &frmEmailSettings::cmbSecurity_Change);
  connect(btnOK_, &QPushButton::clicked, this, &frmEmailSettings::btnOK_Click);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  Form_Load();
}

void frmEmailSettings::Form_Load() {
  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  setWindowTitle(context_.languages.getMessages(clsLanguages::captionMessageKey(objectName())));
  mSettings& s = context_.settings;
  s.LoadEmailSettings();
  txtSMTP_->setText(s.smtpServer);
  txtPort_->setText(s.smtpPort);
  // The names follow the language just loaded.
  for (int i = 0; i < cmbSecurity_->count(); ++i) {
    cmbSecurity_->setItemText(i, context_.languages.getMessages(QLatin1String(kSecurities[i].second)));
  }
  shownSecurity_ = s.smtpSecurity;  // the stored port stays as it is
  setSecurity(s.smtpSecurity);
  chkAuth_->setChecked(s.smtpAuth == 1);
  txtUsername_->setText(s.smtpUser);
  txtPassword_->setText(s.smtpPassword);
  txtFromName_->setText(s.senderName);
  txtFromEmail_->setText(s.senderEmail);
  chkAuth_Click();
}

SmtpSecurity frmEmailSettings::security() const {
  return static_cast<SmtpSecurity>(cmbSecurity_->currentData().toInt());
}

void frmEmailSettings::setSecurity(SmtpSecurity security) {
  cmbSecurity_->setCurrentIndex(cmbSecurity_->findData(static_cast<int>(security)));
}

void frmEmailSettings::cmbSecurity_Change() {
  const SmtpSecurity chosen = security();
  const QString port = txtPort_->text().trimmed();
  // A port the user typed is theirs; only an empty box or the old default follows.
  if (port.isEmpty() || port == QString::number(smtpStandardPort(shownSecurity_))) {
    txtPort_->setText(QString::number(smtpStandardPort(chosen)));
  }
  shownSecurity_ = chosen;
}

void frmEmailSettings::chkAuth_Click() {
  const bool on = chkAuth_->isChecked();
  for (QLineEdit* box : {txtUsername_, txtPassword_}) {
    box->setEnabled(on);
    if (QWidget* label = findChild<QLabel*>(QStringLiteral("lbl") + box->objectName().mid(3))) label->setEnabled(on);
  }
}

void frmEmailSettings::btnOK_Click() {
  for (QLineEdit* box : fields_) {
    if (!util::IsBlank(box->text())) continue;
    const bool credential = box == txtUsername_ || box == txtPassword_;
    if (credential && !chkAuth_->isChecked()) continue;
    context_.messages.showMessage(box->property(kTag).toString(), QStringLiteral("Required Field is Empty!"),
                                  MessageIcon::Exclamation);
    box->setFocus();
    return;
  }
  mSettings& s = context_.settings;
  // An unencrypted login is saved only with the user's word; No leaves the
  // dialog open with nothing stored.
  QString allowed = s.plainLoginAllowed;
  if (plainLoginNeedsConsent(security(), chkAuth_->isChecked(), txtSMTP_->text(), txtPort_->text(),
                             txtUsername_->text(), allowed)) {
    if (!context_.messages.askYesNo(kPlainLoginQuestion, kPlainLoginTitle)) {
      cmbSecurity_->setFocus();
      return;
    }
    allowed = plainLoginFingerprint(txtSMTP_->text(), txtPort_->text(), txtUsername_->text());
  }
  s.smtpServer = txtSMTP_->text();
  s.smtpPort = txtPort_->text();
  s.smtpAuth = chkAuth_->isChecked() ? 1 : 0;
  s.smtpUser = txtUsername_->text();
  s.smtpPassword = txtPassword_->text();
  s.senderName = txtFromName_->text();
  s.senderEmail = txtFromEmail_->text();
  s.smtpSecurity = security();
  s.plainLoginAllowed = allowed;
  if (!s.SaveEmailSettings(true)) return;
  accept();
}

}  // namespace tidewell
