#pragma once

#include <QString>

namespace tidewell {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };

// The one way logic talks to the user. Windows pass the Qt implementation, the
// command-line tool writes to stderr, tests pass a scripted fake that records
// every text, title and icon and answers from a script.
class UserMessages {
 public:
  virtual ~UserMessages() = default;

  // A message box with OK.
  virtual void showMessage(const QString& text, const QString& title, MessageIcon icon) = 0;
  // Yes/No with the question icon; true for Yes.
  virtual bool askYesNo(const QString& text, const QString& title) = 0;
  // Retry/Cancel; true for Retry.
  virtual bool askRetryCancel(const QString& text, const QString& title, MessageIcon icon) = 0;
  // A save-file dialog; filter in Qt's form ("HTML Files (*.html)"). Empty when cancelled.
  virtual QString saveFileName(const QString& title, const QString& suggestedName, const QString& filter) = 0;
};

}  // namespace tidewell
