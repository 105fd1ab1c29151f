#include "scheduler/ScheduleLog.h"

#include <QFile>
#include <QFileInfo>

namespace tidewell {

namespace {
const QString kLineBreak = QStringLiteral("\r\n");
}

QString ScheduleLog::dateTimeText(const QDateTime& when) {
  return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ScheduleLog::startBlockText(const QString& when) {
  return QString(70, QLatin1Char('=')) + kLineBreak + QStringLiteral("Scheduled Check Started (") + when +
         QStringLiteral(")") + kLineBreak + kLineBreak;
}

QString ScheduleLog::finishBlockText(const QString& when) {
  return QStringLiteral("Scheduled Check Finished (") + when + QStringLiteral(")") + kLineBreak;
}

void ScheduleLog::WriteScheduleLog(const QString& text, bool startBlock, bool finishBlock) const {
  // Problems with the log itself are not reported: a lost log line must never
  // stop a check.
  const QFileInfo info(path_);
  if (info.exists() && info.size() >= kRestartSize) QFile::remove(path_);
  QString block;
  if (startBlock) {
    block = startBlockText(dateTimeText());
  } else if (finishBlock) {
    block = finishBlockText(dateTimeText());
  } else {
    block = text;
  }
  block += kLineBreak;
  QFile file(path_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  file.write(block.toUtf8());
  file.close();
}

}  // namespace tidewell
