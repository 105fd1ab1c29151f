#include "core/ui/DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tidewell {

DialogButtons makeDialogButtons(QWidget* dialog, const QString& okText) {
  DialogButtons buttons;
  buttons.ok = new QPushButton(okText, dialog);
  buttons.ok->setObjectName(QStringLiteral("btnOK"));
  buttons.ok->setDefault(true);
  buttons.cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
  buttons.cancel->setObjectName(QStringLiteral("btnCancel"));
  buttons.row = new QHBoxLayout;
  buttons.row->addStretch();
  buttons.row->addWidget(buttons.ok);
  buttons.row->addWidget(buttons.cancel);
  return buttons;
}

}  // namespace tidewell
