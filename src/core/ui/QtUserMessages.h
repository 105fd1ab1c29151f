#pragma once

#include "core/UserMessages.h"

class QWidget;

namespace tidewell {

// Message boxes and file dialogs for the desktop program.
class QtUserMessages : public UserMessages {
 public:
  explicit QtUserMessages(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  bool askRetryCancel(const QString& text, const QString& title, MessageIcon icon) override;
  QString saveFileName(const QString& title, const QString& suggestedName, const QString& filter) override;

 private:
  QWidget* parent_;
};

}  // namespace tidewell
