#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace tidewell {

// The main window's scheduler timer: a millisecond timer that reports when it
// is switched on (with its interval) and off, so each change can be logged.
// Switching it to the state it already has reports nothing.
class ScheduleTimer : public QObject {
  Q_OBJECT

 public:
  // The interval the timer has before any is chosen: an enabled scheduler
  // without a chosen interval ticks at this rate.
  static constexpr int kInitialIntervalMs = 300000;
  static constexpr int kDebugIntervalMs = 60000;

  explicit ScheduleTimer(QObject* parent = nullptr);

  bool isEnabled() const { return timer_.isActive(); }
  void setEnabled(bool enabled);
  int interval() const { return timer_.interval(); }
  // Takes effect at the next start.
  void setInterval(int milliseconds) { interval_ = milliseconds; }
  int nextInterval() const { return interval_; }

  // The interval of a scheduler interval index (0..6), 0 for any other index.
  static int intervalForIndex(int index);
  // The timer's state as the scheduler settings ask for it: off unless
  // enabled; on with one minute in debug mode, else with the index's interval
  // (an unknown index keeps the previous one).
  void arm(bool schedulerEnabled, int intervalIndex, bool debug);

  // "5", "0.5", "180": the interval in minutes without trailing zeros.
  static QString minutesText(int milliseconds);
  // The log texts written when the timer starts and stops.
  static QString startedLogText(int milliseconds, const QString& when);
  static QString stoppedLogText(const QString& when);

 signals:
  void tick();
  void started(int intervalMs);
  void stopped();

 private:
  QTimer timer_;
  int interval_ = kInitialIntervalMs;
};

}  // namespace tidewell
