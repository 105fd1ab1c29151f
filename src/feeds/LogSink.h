#pragma once

#include <QString>

namespace tidewell {

// Where the scheduled flavour of the download and the parsers writes its
// lines (the scheduler's schedule.log). One call is one line, written as given
// ("    Sending Request to Source Server ...", "--> Error: ...").
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void writeLine(const QString& text) = 0;
};

}  // namespace tidewell
