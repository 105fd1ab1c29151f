#pragma once

#include "settings/SmtpSecurity.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tidewell {

struct AppContext;

// The SMTP account that items are sent with. OK checks the required fields
// (user name and password only with authentication on), asks before a login
// is allowed to go out unencrypted, saves the "email" section and says
// "Done!". Choosing a security puts its standard port into a port box that
// is empty or still holds the previous choice's standard port.
class frmEmailSettings : public QDialog {
  Q_OBJECT

 public:
  explicit frmEmailSettings(AppContext& context, QWidget* parent = nullptr);

  QLineEdit* txtSMTP() const { return txtSMTP_; }
  QLineEdit* txtPort() const { return txtPort_; }
  QComboBox* cmbSecurity() const { return cmbSecurity_; }
  SmtpSecurity security() const;
  void setSecurity(SmtpSecurity security);
  QCheckBox* chkAuth() const { return chkAuth_; }
  QLineEdit* txtUsername() const { return txtUsername_; }
  QLineEdit* txtPassword() const { return txtPassword_; }
  QLineEdit* txtFromName() const { return txtFromName_; }
  QLineEdit* txtFromEmail() const { return txtFromEmail_; }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }

 public slots:
  void btnOK_Click();
  void chkAuth_Click();
  void cmbSecurity_Change();

 private:
  void Form_Load();

  AppContext& context_;
  QLineEdit* txtSMTP_;
  QLineEdit* txtPort_;
  QComboBox* cmbSecurity_;
  SmtpSecurity shownSecurity_ = SmtpSecurity::StartTls;  // the choice the port box last followed
  QCheckBox* chkAuth_;
  QLineEdit* txtUsername_;
  QLineEdit* txtPassword_;
  QLineEdit* txtFromName_;
  QLineEdit* txtFromEmail_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
  // The text boxes in validation order.
  QList<QLineEdit*> fields_;
};

}  // namespace tidewell
