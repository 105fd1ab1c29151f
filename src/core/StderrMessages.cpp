#include "core/StderrMessages.h"

#include <cstdio>

namespace tidewell {

void StderrMessages::print(const QString& text, const QString& title) {
  ++count_;
  QString flat = text;
  flat.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QByteArray line = (title.isEmpty() ? flat : title + QStringLiteral(": ") + flat).toUtf8() + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
  std::fflush(stderr);
}

void StderrMessages::showMessage(const QString& text, const QString& title, MessageIcon) { print(text, title); }

bool StderrMessages::askYesNo(const QString& text, const QString& title) {
  print(text, title);
  return answerYes_;
}

bool StderrMessages::askRetryCancel(const QString& text, const QString& title, MessageIcon) {
  print(text, title);
  return false;  // a script never waits for a retry
}

QString StderrMessages::saveFileName(const QString&, const QString&, const QString&) { return {}; }

}  // namespace tidewell
