#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tidewell {

struct AppContext;

// Names a new category (Mode 0) or renames one (Mode 1, CategoryName the
// current name). After a change the category tree reloads through
// reloadTree.
class frmCategory : public QDialog {
  Q_OBJECT

 public:
  enum Mode : qint16 { AddMode = 0, EditMode = 1 };

  frmCategory(AppContext& context, qint16 mode, const QString& categoryName, std::function<void()> reloadTree,
              QWidget* parent = nullptr);

  qint16 Mode() const { return mode_; }
  const QString& CategoryName() const { return categoryName_; }

  QLineEdit* txtCategoryName() const { return txtCategoryName_; }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }

 public slots:
  void btnOK_Click();

 private:
  void Form_Load();

  AppContext& context_;
  qint16 mode_;
  QString categoryName_;
  std::function<void()> reloadTree_;
  QLabel* lblInfo_;
  QLineEdit* txtCategoryName_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace tidewell
