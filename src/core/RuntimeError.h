#pragma once

#include "core/Result.h"
#include "core/UserMessages.h"

#include <QString>

namespace tidewell {

// Unexpected failures inside an operation are reported once, at its edge, as
// "Error on Line <step>\r\n\r\n<description>" titled "<operation> Function".
QString runtimeErrorText(int step, const QString& description);
QString runtimeErrorTitle(const QString& operation);
void reportRuntimeError(UserMessages& messages, const QString& operation, int step, const QString& description);
void reportRuntimeError(UserMessages& messages, const QString& operation, int step, const ErrorInfo& error);

}  // namespace tidewell
