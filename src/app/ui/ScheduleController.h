#pragma once

#include "app/ScheduleTimer.h"
#include "scheduler/mScheduler.h"

#include <QObject>

class QAction;
class QLabel;

namespace tidewell {

struct AppContext;
class NewItemsNotifier;
class Platform;

// The main window's scheduled checks: the timer armed from the scheduler
// settings, a run started by it or by "Execute Schedule Now" beside
// everything else, the status panel and the disabled menu entry while the
// run lasts, and the timer's starts and stops in the scheduler log.
class ScheduleController : public QObject {
  Q_OBJECT

 public:
  // The run downloads through the platform's network, after its connectivity test.
  ScheduleController(AppContext& context, Platform& platform, NewItemsNotifier* notifier, QAction& executeNow,
                     QLabel& statusPanel, QObject* parent = nullptr);

  // Re-arms the timer from the scheduler settings (read again from
  // AppCfg.cfg with reload).
  void EnableSchedule(bool reload);
  // The timer's tick, and "Execute Schedule Now": a run starts unless one is under way.
  void tmrSchedule_Timer();
  // The run ended (or could not start): the window is ready again.
  void scheduleEnded();
  // The window unloads: a run in progress stops before its next feed, the timer stops.
  void stop();
  bool running() const { return running_; }

  ScheduleTimer& timer() { return timer_; }
  mScheduler& scheduler() { return scheduler_; }

 signals:
  // A text was appended to the scheduler log.
  void logged(const QString& text);

 private:
  void writeLog(const QString& text);

  AppContext& context_;
  QAction& executeNow_;
  QLabel& statusPanel_;
  ScheduleTimer timer_;
  mScheduler scheduler_;
  bool running_ = false;
  bool stopped_ = false;
};

}  // namespace tidewell
