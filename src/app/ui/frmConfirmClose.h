#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
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
  QLabel* lblInfo(int index) const { return lblInfo_[index]; }

  // Without a notification area "Keep Running" leaves the window minimised
  // on the task bar; the first line says so.
  void setTrayAvailable(bool available);

 public slots:
  void btnOK_Click(int index);

 private:
  void Form_Load();
  // The first line says what the answer will do.
  void updateOutcome();

  AppContext& context_;
  QLabel* lblInfo_[4];
  QString trayText_;
  bool trayAvailable_ = true;
  QCheckBox* chkAlwaysClose_;
  QCheckBox* chkDontShow_;
  QPushButton* btnOK_[2];
  bool result_ = false;
};

}  // namespace tidewell
