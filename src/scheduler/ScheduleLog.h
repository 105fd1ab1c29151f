#pragma once

#include "feeds/LogSink.h"

#include <QDateTime>
#include <QString>

namespace tidewell {

// schedule.log: every write opens the file, appends one block ending in
// "\r\n" and closes it again, so the log can be read (or deleted) at any
// time. A file of kRestartSize bytes or more is deleted before the write, so
// the log starts afresh.
class ScheduleLog : public LogSink {
 public:
  static constexpr qint64 kRestartSize = 512001;

  explicit ScheduleLog(QString path) : path_(std::move(path)) {}
  const QString& path() const { return path_; }

  // WriteScheduleLog: a start block (a row of "=", the start time, two empty
  // lines), a finish block (the finish time and an empty line) or the text.
  void WriteScheduleLog(const QString& text, bool startBlock = false, bool finishBlock = false) const;
  void writeLine(const QString& text) override { WriteScheduleLog(text); }

  // The date-time of the log's lines: the local time, unambiguous in every locale.
  static QString dateTimeText(const QDateTime& when = QDateTime::currentDateTime());
  // The text a block consists of (without the file handling).
  static QString startBlockText(const QString& when);
  static QString finishBlockText(const QString& when);

 private:
  QString path_;
};

}  // namespace tidewell
