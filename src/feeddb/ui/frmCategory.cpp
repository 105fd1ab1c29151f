#include "feeddb/ui/frmCategory.h"

#include "app/AppContext.h"
#include "core/Utilities.h"
#include "core/ui/DialogButtons.h"
#include "feeddb/CategoryTreeEditor.h"
#include "feeddb/mCategories.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidewell {

frmCategory::frmCategory(AppContext& context, qint16 mode, const QString& categoryName,
                         std::function<void()> reloadTree, QWidget* parent)
    : QDialog(parent), context_(context), mode_(mode), categoryName_(categoryName), reloadTree_(std::move(reloadTree)) {
  setObjectName(QStringLiteral("frmCategory"));
  setWindowTitle(QStringLiteral("Add/Edit Category"));
  setModal(true);

  lblInfo_ = new QLabel(QStringLiteral("Category Name:"), this);
  lblInfo_->setObjectName(QStringLiteral("lblInfo"));
  txtCategoryName_ = new QLineEdit(this);
  txtCategoryName_->setObjectName(QStringLiteral("txtCategoryName"));
  txtCategoryName_->setMinimumWidth(320);
  lblInfo_->setBuddy(txtCategoryName_);
  const DialogButtons dialogButtons = makeDialogButtons(this, QStringLiteral("Add Category"));
  btnOK_ = dialogButtons.ok;
  btnCancel_ = dialogButtons.cancel;
  QHBoxLayout* buttons = dialogButtons.row;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblInfo_);
  layout->addWidget(txtCategoryName_);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Return in the name box is a click on OK (the default button).
  connect(btnOK_, &QPushButton::clicked, this, &frmCategory::btnOK_Click);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  Form_Load();
}

void frmCategory::Form_Load() {
  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  setWindowTitle(context_.languages.getMessages(clsLanguages::captionMessageKey(objectName())));
  if (mode_ == AddMode) {
    btnOK_->setText(context_.languages.getMessages(QStringLiteral("MSG_WND_ADDCATEGORY")));
    txtCategoryName_->clear();
    txtCategoryName_->setProperty("tag", QString());
  } else {
    btnOK_->setText(context_.languages.getMessages(QStringLiteral("MSG_WND_SAVEDETAILS")));
    txtCategoryName_->setText(categoryName_);
    txtCategoryName_->setProperty("tag", categoryName_);
    txtCategoryName_->selectAll();
  }
}

void frmCategory::btnOK_Click() {
  const QString name = txtCategoryName_->text();
  if (util::IsBlank(name)) {
    context_.messages.showMessage(QStringLiteral("Please specify Name of Category."), QStringLiteral("Category Name?"),
                                  MessageIcon::Exclamation);
    txtCategoryName_->setFocus();
    return;
  }
  if (mode_ == AddMode) {
    if (!mCategories(context_.paths, context_.messages).AddCategory(name)) return;
  } else {
    // The same rules as renaming the node in the tree: an unchanged name
    // changes nothing, a name in use is refused with its message.
    switch (CategoryTreeEditor(context_.paths, context_.messages).RenameCategory(categoryName_, name)) {
      case CategoryTreeEditor::Outcome::Refused:
        txtCategoryName_->setFocus();
        txtCategoryName_->selectAll();
        return;
      case CategoryTreeEditor::Outcome::Cancelled: accept(); return;
      case CategoryTreeEditor::Outcome::Done: break;
    }
  }
  if (reloadTree_) reloadTree_();
  accept();
}

}  // namespace tidewell
