#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tidewell {

struct AppContext;

// Switches the scheduled check on or off, picks the feeds it checks, its
// interval and how new items are announced. OK saves the "schdl" section,
// which re-arms the main window's timer; Cancel changes nothing.
class frmScheduler : public QDialog {
  Q_OBJECT

 public:
  explicit frmScheduler(AppContext& context, QWidget* parent = nullptr);

  // Item data of both lists: key (feed id), tag (URL), image (feed type + 3).
  static constexpr int kKeyRole = Qt::UserRole;
  static constexpr int kTagRole = Qt::UserRole + 1;
  static constexpr int kImageRole = Qt::UserRole + 2;

  QCheckBox* chkEnableScheduler() const { return chkEnableScheduler_; }
  QTreeWidget* lstSources() const { return lstSources_; }
  QTreeWidget* lstSchedule() const { return lstSchedule_; }
  QComboBox* cmbInterval() const { return cmbInterval_; }
  QCheckBox* chkNotify() const { return chkNotify_; }
  QCheckBox* chkSound() const { return chkSound_; }
  QGroupBox* fmContainer(int index) const { return fmContainer_[index]; }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }

 public slots:
  void chkEnableScheduler_Click();
  void chkNotify_Click();
  void lstSources_DblClick();
  void lstSchedule_DblClick();
  void btnOK_Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Form_Load();
  void fillSources();
  void fillSchedule();
  QTreeWidgetItem* addItem(QTreeWidget* list, const QString& key, const QString& text, int image, const QString& tag);

  AppContext& context_;
  QGroupBox* fmScheduleOpt_;
  QGroupBox* fmContainer_[2];
  QCheckBox* chkEnableScheduler_;
  QTreeWidget* lstSources_;
  QTreeWidget* lstSchedule_;
  QComboBox* cmbInterval_;
  QCheckBox* chkNotify_;
  QCheckBox* chkSound_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace tidewell
