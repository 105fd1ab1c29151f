#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace tidewell {

struct AppContext;

// Asked when the main window is closed while "confirm" is on: "Close Now!"
// or "Keep Running" in the notification area. Either button writes the two
// check boxes into the application settings.
class frmConfirmClose : public QDialog {
  Q_OBJECT

 public:
  explicit frmConfirmClose(AppContext& context, QWidget* parent = nullptr);

  // True after "Close Now!", false after "Keep Running" (and when dismissed).
  bool result() const { return result_; }

  QCheckBox* chkAlwaysClose() const { return chkAlwaysClose_; }
  QCheckBox* chkDontShow() const { return chkDontShow_; }
  QPushButton* btnOK(int index) const { return btnOK_[index]; }

 public slots:
  void btnOK_Click(int index);

 private:
  void Form_Load();

  AppContext& context_;
  QCheckBox* chkAlwaysClose_;
  QCheckBox* chkDontShow_;
  QPushButton* btnOK_[2];
  bool result_ = false;
};

}  // namespace tidewell
