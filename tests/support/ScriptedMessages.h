#pragma once

#include "core/UserMessages.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace tidewell::test {

// A UserMessages fake: records every message and answers questions from a
// script. Unscripted questions get the default answer (No, Cancel, no file).
class ScriptedMessages : public UserMessages {
 public:
  enum class Kind { Message, YesNo, RetryCancel, SaveFile };
  struct Entry {
    Kind kind;
    QString text;
    QString title;
    MessageIcon icon;
  };

  void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  bool askRetryCancel(const QString& text, const QString& title, MessageIcon icon) override;
  QString saveFileName(const QString& title, const QString& suggestedName, const QString& filter) override;

  // Script the next answers, in order.
  void answerYesNo(bool yes) { yesNo_.push_back(yes); }
  void answerRetryCancel(bool retry) { retryCancel_.push_back(retry); }
  void answerSaveFile(const QString& path) { saveFile_.push_back(path); }

  const std::vector<Entry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  const Entry& last() const { return entries_.back(); }
  QStringList texts() const;
  QStringList titles() const;
  void clear() { entries_.clear(); }

 private:
  std::vector<Entry> entries_;
  std::deque<bool> yesNo_;
  std::deque<bool> retryCancel_;
  std::deque<QString> saveFile_;
};

}  // namespace tidewell::test
