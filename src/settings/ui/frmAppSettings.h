#pragma once

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QPushButton;
class QSpinBox;

namespace tidewell {

struct AppContext;

// Start with the desktop session, and what the main window's close button
// does: close completely or go to the notification area; and how much of each
// feed's stored items is kept when the feed has no choice of its own.
class frmAppSettings : public QDialog {
  Q_OBJECT

 public:
  explicit frmAppSettings(AppContext& context, QWidget* parent = nullptr);

  QCheckBox* chkStartup() const { return chkStartup_; }
  QRadioButton* optClose(int index) const { return optClose_[index]; }
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
  QRadioButton* optClose_[2];
  QSpinBox* spnKeepItems_;
  QSpinBox* spnKeepDays_;
  QCheckBox* chkKeepUnread_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace tidewell
