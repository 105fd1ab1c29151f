#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tidewell {

struct AppContext;

// The SMTP account that items are sent with. OK checks the required fields
// (user name and password only with authentication on), saves the "email"
// section and says "Done!".
class frmEmailSettings : public QDialog {
  Q_OBJECT

 public:
  explicit frmEmailSettings(AppContext& context, QWidget* parent = nullptr);

  QLineEdit* txtSMTP() const { return txtSMTP_; }
  QLineEdit* txtPort() const { return txtPort_; }
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

 private:
  void Form_Load();

  AppContext& context_;
  QLineEdit* txtSMTP_;
  QLineEdit* txtPort_;
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
