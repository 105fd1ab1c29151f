#pragma once

#include "email/EmailItem.h"

#include <QDialog>

#include <array>
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace tidewell {

struct AppContext;
class Platform;
class SmtpClient;

// Sends one feed item as an HTML mail. The send runs in the background: the
// window keeps painting and answering while it goes, shows the progress in
// its status bar, and may send again afterwards.
class frmSendEmail : public QDialog {
  Q_OBJECT

 public:
  frmSendEmail(AppContext& context, Platform& platform, EmailItem item, QWidget* parent = nullptr);
  ~frmSendEmail() override;

  const QString& ChannelName() const { return item_.channelName; }
  const QString& FeedTitle() const { return item_.feedTitle; }
  const QString& ItemDescription() const { return item_.itemDescription; }
  const QString& ItemLink() const { return item_.itemLink; }

  // True from the start of a send until its result has been shown.
  bool sending() const { return sending_; }

  QLineEdit* txtTo() const { return txtTo_; }
  QLineEdit* txtSubject() const { return txtSubject_; }
  QPlainTextEdit* txtMessage() const { return txtMessage_; }
  QRadioButton* optSend(int index) const { return optSend_.at(static_cast<size_t>(index)); }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }
  QStatusBar* ucStatus() const { return ucStatus_; }

  void btnOK_Click();

 private:
  void buildControls();
  void Send();
  void setBusy(bool busy);
  void oSMTP_Progress(int percent);
  void oSMTP_Status(const QString& text);
  void oSMTP_SendSuccesful();
  void oSMTP_SendFailed(const QString& explanation);

  AppContext& context_;
  Platform& platform_;
  EmailItem item_;
  SmtpClient* oSMTP_;
  bool sending_ = false;

  QLabel* lblItem_ = nullptr;
  QLineEdit* txtTo_ = nullptr;
  QLineEdit* txtSubject_ = nullptr;
  QPlainTextEdit* txtMessage_ = nullptr;
  std::array<QRadioButton*, 2> optSend_{};
  QPushButton* btnOK_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  QStatusBar* ucStatus_ = nullptr;
};

}  // namespace tidewell
