#include "support/ScriptedMessages.h"

namespace tidewell::test {

void ScriptedMessages::showMessage(const QString& text, const QString& title, MessageIcon icon) {
  entries_.push_back({Kind::Message, text, title, icon});
}

bool ScriptedMessages::askYesNo(const QString& text, const QString& title) {
  entries_.push_back({Kind::YesNo, text, title, MessageIcon::Question});
  if (yesNo_.empty()) return false;
  const bool answer = yesNo_.front();
  yesNo_.pop_front();
  return answer;
}

bool ScriptedMessages::askRetryCancel(const QString& text, const QString& title, MessageIcon icon) {
  entries_.push_back({Kind::RetryCancel, text, title, icon});
  if (retryCancel_.empty()) return false;
  const bool answer = retryCancel_.front();
  retryCancel_.pop_front();
  return answer;
}

QString ScriptedMessages::saveFileName(const QString& title, const QString& suggestedName, const QString&) {
  entries_.push_back({Kind::SaveFile, suggestedName, title, MessageIcon::None});
  if (saveFile_.empty()) return {};
  QString answer = saveFile_.front();
  saveFile_.pop_front();
  return answer;
}

QStringList ScriptedMessages::texts() const {
  QStringList out;
  for (const auto& e : entries_) out << e.text;
  return out;
}

QStringList ScriptedMessages::titles() const {
  QStringList out;
  for (const auto& e : entries_) out << e.title;
  return out;
}

}  // namespace tidewell::test
