#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace tidewell {

struct AppContext;

// Start with the desktop session, and what the main window's close button
// does: close completely or go to the notification area, and whether new
// items are announced by the desktop's notifications or the program's pop-up,
// and the proxy the downloads use (the system's, or HTTP / SOCKS5 by hand).
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
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace tidewell
