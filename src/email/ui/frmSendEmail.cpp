#include "email/ui/frmSendEmail.h"

#include "app/AppContext.h"
#include "core/Utilities.h"
#include "core/ui/Platform.h"
#include "email/EmailAddress.h"
#include "email/EmailBody.h"
#include "email/EmailPreconditions.h"
#include "email/HtmlText.h"
#include "email/SmtpClient.h"
#include "l10n/ui/WindowLocalizer.h"
#include "settings/SmtpSecurity.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tidewell {

namespace {

const QString kWindowName = QStringLiteral("frmSendEmail");
const QString kIdle = QStringLiteral("MSG_WND_IDLE");

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

frmSendEmail::frmSendEmail(AppContext& context, Platform& platform, EmailItem item, QWidget* parent)
    : QDialog(parent), context_(context), platform_(platform), item_(std::move(item)), oSMTP_(new SmtpClient(this)) {
  setObjectName(kWindowName);
  setWindowTitle(QStringLiteral("Send Email ... "));
  buildControls();

  connect(oSMTP_, &SmtpClient::progress, this, &frmSendEmail::oSMTP_Progress);
  connect(oSMTP_, &SmtpClient::status, this, &frmSendEmail::oSMTP_Status);
  connect(oSMTP_, &SmtpClient::sendSucceeded, this, &frmSendEmail::oSMTP_SendSuccesful);
  connect(oSMTP_, &SmtpClient::sendFailed, this, &frmSendEmail::oSMTP_SendFailed);

  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  const QString caption = context_.languages.getMessages(clsLanguages::captionMessageKey(kWindowName));
  if (!caption.isEmpty()) {
    setWindowTitle(caption);
  }
  txtSubject_->setText(DefaultEmailSubject(item_.channelName, item_.feedTitle));
}

// The client is a child and goes with the window; a send still running is
// aborted by it.
frmSendEmail::~frmSendEmail() = default;

void frmSendEmail::buildControls() {
  // Which item is being sent, above everything else.
  lblItem_ = new QLabel(this);
  lblItem_->setObjectName(QStringLiteral("lblItem"));
  lblItem_->setWordWrap(true);
  lblItem_->setTextFormat(Qt::PlainText);
  QFont bold = lblItem_->font();
  bold.setBold(true);
  lblItem_->setFont(bold);
  lblItem_->setText(item_.feedTitle.simplified());
  lblItem_->setToolTip(item_.itemLink);
  lblItem_->setVisible(!lblItem_->text().isEmpty());

  auto* grid = new QGridLayout;
  grid->addWidget(namedLabel("lblTo", QStringLiteral("To:"), this), 0, 0);
  txtTo_ = new QLineEdit(this);
  txtTo_->setObjectName(QStringLiteral("txtTo"));
  grid->addWidget(txtTo_, 0, 1);
  auto* hint =
      namedLabel("lblToHint", QStringLiteral("Separate Multiple Recipients by semi-colon (;) character."), this);
  hint->setStyleSheet(QStringLiteral("color: palette(mid);"));
  grid->addWidget(hint, 1, 1);

  grid->addWidget(namedLabel("lblSubject", QStringLiteral("Subject:"), this), 2, 0);
  txtSubject_ = new QLineEdit(this);
  txtSubject_->setObjectName(QStringLiteral("txtSubject"));
  grid->addWidget(txtSubject_, 2, 1);

  auto* messageLabels = new QHBoxLayout;
  messageLabels->addWidget(namedLabel("lblMessage", QStringLiteral("Personal Message:"), this));
  messageLabels->addWidget(namedLabel("lblOptional", QStringLiteral("(Optional)"), this));
  messageLabels->addStretch();
  txtMessage_ = new QPlainTextEdit(this);
  txtMessage_->setObjectName(QStringLiteral("txtMessage"));
  const clsLanguages& l = context_.languages;
  txtMessage_->setPlainText(l.getMessages(QStringLiteral("MSG_WND_GREETING1")) + QStringLiteral("\n\n") +
                            l.getMessages(QStringLiteral("MSG_WND_GREETING2")) + QLatin1Char('\n'));

  auto* modes = new QGroupBox(this);
  modes->setObjectName(QStringLiteral("fmSend"));
  auto* modesLayout = new QVBoxLayout(modes);
  const std::array<QString, 2> modeTexts{QStringLiteral("Send Complete Item Description."),
                                         QStringLiteral("Just Send Item Link.")};
  for (int i = 0; i < 2; ++i) {
    auto* option = new QRadioButton(modeTexts.at(static_cast<size_t>(i)), modes);
    option->setObjectName(QStringLiteral("optSend"));
    option->setProperty(WindowLocalizer::kIndexProperty, i);
    modesLayout->addWidget(option);
    optSend_.at(static_cast<size_t>(i)) = option;
  }
  optSend_[0]->setChecked(true);

  btnOK_ = new QPushButton(QStringLiteral("&Send"), this);
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnOK_->setDefault(true);
  btnCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  connect(btnOK_, &QPushButton::clicked, this, &frmSendEmail::btnOK_Click);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);

  ucStatus_ = new QStatusBar(this);
  ucStatus_->setObjectName(QStringLiteral("ucStatus"));
  ucStatus_->setSizeGripEnabled(false);
  ucStatus_->showMessage(context_.languages.getMessages(kIdle));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblItem_);
  layout->addLayout(grid);
  layout->addLayout(messageLabels);
  layout->addWidget(txtMessage_, 1);
  layout->addWidget(modes);
  layout->addLayout(buttons);
  layout->addWidget(ucStatus_);
  resize(520, 460);
}

void frmSendEmail::btnOK_Click() {
  if (sending_) {
    return;
  }
  if (!platform_.isConnected()) {
    context_.messages.showMessage(
        QStringLiteral("Application faled to access Internet connection on this machine. Please make sure you're "
                       "connected to Internet and try again ..."),
        QStringLiteral("Working Offline?"), MessageIcon::Exclamation);
    return;
  }
  // A missing or malformed address is the user's to mend, before anything connects.
  const Result<QStringList> recipients = ParseRecipients(txtTo_->text());
  if (!recipients) {
    context_.messages.showMessage(recipients.error().description, QStringLiteral("Recipient Address?"),
                                  MessageIcon::Exclamation);
    txtTo_->setFocus();
    return;
  }
  Send();
}

void frmSendEmail::Send() {
  context_.settings.LoadEmailSettings();
  const QString templatePath = context_.paths.emailTpl();
  if (!util::FileExists(templatePath)) {
    context_.messages.showMessage(QStringLiteral("Required Email Message object file is missing or hidden. Please "
                                                 "reinstall application to resolve this issue."),
                                  QStringLiteral("Error!"), MessageIcon::Exclamation);
    return;
  }
  // Declined: nothing is sent and nothing more is said; the window stays as it is.
  if (!ConfirmPlainLogin(context_.settings, context_.messages)) {
    return;
  }

  EmailBodyInput input;
  input.fromName = context_.settings.senderName;
  input.personalMessage = txtMessage_->toPlainText();
  input.title = item_.feedTitle;
  input.description = item_.itemDescription;
  input.link = item_.itemLink;
  input.mode = optSend_[0]->isChecked() ? EmailSendMode::FullDescription : EmailSendMode::LinkOnly;
  const QString body =
      BuildEmailBody(util::ReadTextFile(templatePath, &context_.messages), input, context_.identity.programName);

  const SmtpMail mail{txtTo_->text(), txtSubject_->text(), body, HtmlToPlainText(body)};
  sending_ = true;
  setBusy(true);
  const Status started = oSMTP_->send(ToSmtpSettings(context_.settings), mail,
                                      context_.identity.programName + QLatin1Char(' ') + context_.identity.version);
  if (!started) {
    // Refused before connecting (an address, a line break, the port): the
    // same report as a failure of the server.
    oSMTP_SendFailed(started.error().description);
  }
}

void frmSendEmail::setBusy(bool busy) {
  btnOK_->setEnabled(!busy);
  btnCancel_->setEnabled(!busy);
}

void frmSendEmail::oSMTP_Progress(int percent) {
  ucStatus_->showMessage(context_.languages.getMessages(QStringLiteral("MSG_WND_SENDING"))
                             .replace(QStringLiteral("%1"), QString::number(percent)));
}

void frmSendEmail::oSMTP_Status(const QString& text) { ucStatus_->showMessage(text); }

void frmSendEmail::oSMTP_SendSuccesful() {
  setBusy(false);
  context_.messages.showMessage(QStringLiteral("Email Successfully Sent!"), QStringLiteral("Done!"),
                                MessageIcon::Information);
  sending_ = false;
  ucStatus_->showMessage(context_.languages.getMessages(kIdle));
  txtTo_->selectAll();
  txtTo_->setFocus();
}

void frmSendEmail::oSMTP_SendFailed(const QString& explanation) {
  setBusy(false);
  // The whole text is translated by its beginning only; the explanation's own
  // words (a connection that could not be secured) by theirs.
  context_.messages.showMessage(QStringLiteral("Failed to Send Email due to following error: ") +
                                    QStringLiteral("\r\n\r\n") + context_.languages.translate(explanation),
                                context_.identity.programName, MessageIcon::None);
  sending_ = false;
  ucStatus_->showMessage(context_.languages.getMessages(QStringLiteral("MSG_WND_SENDERROR")));
}

}  // namespace tidewell
