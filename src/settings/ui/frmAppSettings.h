#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QSpinBox;

namespace tidewell {

struct AppContext;

// Start with the desktop session, and what the main window's close button
// does: close completely or go to the notification area; whether new items
// are announced by the desktop's notifications or the program's pop-up; the
// proxy the downloads use (the system's, or HTTP / SOCKS5 by hand); and how
// much of each feed's stored items is kept when the feed has no choice of its own.
class frmAppSettings : public QDialog {
  Q_OBJECT

 public:
  explicit frmAppSettings(AppContext& context, QWidget* parent = nullptr);

  QCheckBox* chkStartup() const { return chkStartup_; }
  QCheckBox* chkRemotePictures() const { return chkRemotePictures_; }
  QRadioButton* optClose(int index) const { return optClose_[index]; }
  QCheckBox* chkPopup() const { return chkPopup_; }
  QRadioButton* optProxy(int index) const { return optProxy_[index]; }
  QLineEdit* txtProxyHost() const { return txtProxyHost_; }
  QLineEdit* txtProxyPort() const { return txtProxyPort_; }
  QLineEdit* txtProxyUser() const { return txtProxyUser_; }
  QSpinBox* spnKeepItems() const { return spnKeepItems_; }
  QSpinBox* spnKeepDays() const { return spnKeepDays_; }
  QCheckBox* chkKeepUnread() const { return chkKeepUnread_; }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }

 public slots:
  void btnOK_Click();

 private:
  void Form_Load();

  AppContext& context_;
  QCheckBox* chkStartup_;
  QCheckBox* chkRemotePictures_;
  QRadioButton* optClose_[2];
  QCheckBox* chkPopup_;
  QRadioButton* optProxy_[3];
  QLineEdit* txtProxyHost_;
  QLineEdit* txtProxyPort_;
  QLineEdit* txtProxyUser_;
  QSpinBox* spnKeepItems_;
  QSpinBox* spnKeepDays_;
  QCheckBox* chkKeepUnread_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace tidewell
