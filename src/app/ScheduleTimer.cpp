#include "app/ScheduleTimer.h"

#include <array>

namespace tidewell {

ScheduleTimer::ScheduleTimer(QObject* parent) : QObject(parent) {
  timer_.setObjectName(QStringLiteral("tmrSchedule"));
  timer_.setInterval(interval_);
  connect(&timer_, &QTimer::timeout, this, &ScheduleTimer::tick);
}

void ScheduleTimer::setEnabled(bool enabled) {
  if (enabled == timer_.isActive()) return;
  if (enabled) {
    timer_.start(interval_);
    emit started(interval_);
  } else {
    timer_.stop();
    emit stopped();
  }
}

int ScheduleTimer::intervalForIndex(int index) {
  static constexpr std::array<int, 7> kIntervals{300000, 600000, 900000, 1800000, 2700000, 3600000, 10800000};
  if (index < 0 || index >= static_cast<int>(kIntervals.size())) return 0;
  return kIntervals[static_cast<size_t>(index)];
}

void ScheduleTimer::arm(bool schedulerEnabled, int intervalIndex, bool debug) {
  setEnabled(false);
  if (!schedulerEnabled) return;
  if (debug) {
    interval_ = kDebugIntervalMs;
  } else if (const int ms = intervalForIndex(intervalIndex); ms > 0) {
    interval_ = ms;
  }
  setEnabled(true);
}

QString ScheduleTimer::minutesText(int milliseconds) {
  return QString::number(static_cast<double>(milliseconds) / 1000.0 / 60.0, 'g', 12);
}

QString ScheduleTimer::startedLogText(int milliseconds, const QString& when) {
  return QStringLiteral("\r\n***** Scheduler Timer Started (") + when + QStringLiteral(" --- Interval = ") +
         minutesText(milliseconds) + QStringLiteral(" min) *****");
}

QString ScheduleTimer::stoppedLogText(const QString& when) {
  return QStringLiteral("\r\n***** Scheduler Timer Paused/Stopped (") + when + QStringLiteral(") *****");
}

}  // namespace tidewell
