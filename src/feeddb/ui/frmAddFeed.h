#pragma once

#include "feeds/FeedDiscovery.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tidewell {

struct AppContext;
class DownloadCancel;
class Platform;

// Subscribes to a feed (EditMode 0) or edits one (EditMode 1) in two steps on
// one button: the first press downloads the address and detects the feed's
// type and title; the second stores the feed, creating a typed category that
// does not exist yet. The opener sets the public state, then calls
// Form_Load() and shows the dialog. A web page offering several feeds asks
// which one in a list, run through the platform.
class frmAddFeed : public QDialog {
  Q_OBJECT

 public:
  frmAddFeed(AppContext& context, Platform& platform, std::function<void()> reloadTree, QWidget* parent = nullptr);

  qint16 EditMode = 0;
  QString FeedID;
  QString categoryName;  // preselected in the list when it is one of its names

  void Form_Load();

  // The stage of the OK button: "proceed" before validation, "ok" after it.
  QString stage() const;
  qint16 TypeOfFeed() const { return typeOfFeed_; }

  QLineEdit* txtURL() const { return txtURL_; }
  QLineEdit* txtChannel() const { return txtChannel_; }
  QComboBox* cmbCategories() const { return cmbCategories_; }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }
  // The title and category fields, uncovered once the address is valid.
  QFrame* fmDetails() const { return fmDetails_; }
  // How much of the feed's stored items is kept: as for every feed, or the
  // newest N (0 = all) and/or those younger than D days (0 = any age),
  // unread ones too when ticked.
  QCheckBox* chkKeepDefault() const { return chkKeepDefault_; }
  QSpinBox* spnKeepItems() const { return spnKeepItems_; }
  QSpinBox* spnKeepDays() const { return spnKeepDays_; }
  QCheckBox* chkKeepUnread() const { return chkKeepUnread_; }
  QComboBox* cmbPictures() const { return cmbPictures_; }

  // The validation's time limit (tests shorten it).
  int validationTimeoutMs = 6000;

 public slots:
  void btnOK_Click();
  // While the address is validated, Cancel (or Escape, or closing the
  // window) stops the validation and leaves the dialog open to edit the
  // address; otherwise it closes the dialog.
  void reject() override;

 private:
  void validate();
  // Which of a page's feeds to subscribe to (-1: none).
  int chooseFeed(const QList<DiscoveredFeed>& feeds);
  void store();
  void loadRetention();
  void storeRetention(const QString& feedId);
  void loadPictures();
  void storePictures(const QString& feedId);

  AppContext& context_;
  Platform& platform_;
  std::function<void()> reloadTree_;
  qint16 typeOfFeed_ = -1;
  // The running validation's stop, null when none runs.
  DownloadCancel* validation_ = nullptr;
  QLabel* lblInfo0_;
  QLabel* lblInfo1_;
  QLabel* lblInfo2_;
  QLineEdit* txtURL_;
  QFrame* fmDetails_;
  QLineEdit* txtChannel_;
  QComboBox* cmbCategories_;
  QLabel* lblKeep_;
  QCheckBox* chkKeepDefault_;
  QSpinBox* spnKeepItems_;
  QLabel* lblKeepItems_;
  QSpinBox* spnKeepDays_;
  QLabel* lblKeepDays_;
  QCheckBox* chkKeepUnread_;
  QLabel* lblPictures_;
  QComboBox* cmbPictures_;
  QLabel* picFooter_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace tidewell
