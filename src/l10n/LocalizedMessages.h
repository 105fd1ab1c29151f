#pragma once

#include "core/UserMessages.h"

namespace tidewell {

class clsLanguages;

// The user messages of the loaded language: every text and title is looked
// up by its English wording in the message table (clsLanguages::translate)
// before it reaches the boxes. The logic keeps writing its texts in English,
// the way the command-line tool and the logs show them.
class LocalizedMessages : public UserMessages {
 public:
  LocalizedMessages(UserMessages& target, const clsLanguages& languages) : target_(target), languages_(languages) {}

  void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  bool askRetryCancel(const QString& text, const QString& title, MessageIcon icon) override;
  QString saveFileName(const QString& title, const QString& suggestedName, const QString& filter) override;

 private:
  QString tr(const QString& text) const;

  UserMessages& target_;
  const clsLanguages& languages_;
};

}  // namespace tidewell
