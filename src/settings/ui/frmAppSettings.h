#pragma once

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QPushButton;

namespace tidewell {

struct AppContext;

// Start with the desktop session, and what the main window's close button
// does: close completely or go to the notification area.
class frmAppSettings : public QDialog {
  Q_OBJECT

 public:
  explicit frmAppSettings(AppContext& context, QWidget* parent = nullptr);

  QCheckBox* chkStartup() const { return chkStartup_; }
  QCheckBox* chkRemotePictures() const { return chkRemotePictures_; }
  QRadioButton* optClose(int index) const { return optClose_[index]; }
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
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace tidewell
