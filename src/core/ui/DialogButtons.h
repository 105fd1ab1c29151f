#pragma once

#include <QString>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace tidewell {

// The right-aligned OK/Cancel row every dialog ends with. The buttons carry
// the object names "btnOK" and "btnCancel", so translations find them; OK is
// the default button, so Return in a text box is a click on it.
struct DialogButtons {
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QHBoxLayout* row = nullptr;
};

DialogButtons makeDialogButtons(QWidget* dialog, const QString& okText = QStringLiteral("OK"));

}  // namespace tidewell
