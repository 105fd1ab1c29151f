#include "core/RuntimeError.h"

namespace tidewell {

QString runtimeErrorText(int step, const QString& description) {
  return QStringLiteral("Error on Line ") + QString::number(step) + QStringLiteral("\r\n\r\n") + description;
}

QString runtimeErrorTitle(const QString& operation) { return operation + QStringLiteral(" Function"); }

void reportRuntimeError(UserMessages& messages, const QString& operation, int step, const QString& description) {
  messages.showMessage(runtimeErrorText(step, description), runtimeErrorTitle(operation), MessageIcon::Critical);
}

void reportRuntimeError(UserMessages& messages, const QString& operation, int step, const ErrorInfo& error) {
  reportRuntimeError(messages, operation, step, error.description);
}

}  // namespace tidewell
