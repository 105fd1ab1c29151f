#pragma once

#include "core/UserMessages.h"

namespace tidewell {

// Messages of the command-line tool: "title: text" on stderr. Questions take
// the answer given at construction, so a script never waits for input.
class StderrMessages : public UserMessages {
 public:
  explicit StderrMessages(bool answerYes = false) : answerYes_(answerYes) {}

  void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  bool askRetryCancel(const QString& text, const QString& title, MessageIcon icon) override;
  QString saveFileName(const QString& title, const QString& suggestedName, const QString& filter) override;

  int messageCount() const { return count_; }

 private:
  void print(const QString& text, const QString& title);
  bool answerYes_;
  int count_ = 0;
};

}  // namespace tidewell
