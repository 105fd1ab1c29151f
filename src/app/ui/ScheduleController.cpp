#include "app/ui/ScheduleController.h"

#include "app/AppContext.h"
#include "core/ui/Platform.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QLocale>

namespace tidewell {

ScheduleController::ScheduleController(AppContext& context, Platform& platform, NewItemsNotifier* notifier,
                                       QAction& executeNow, QLabel& statusPanel, QObject* parent)
    : QObject(parent),
      context_(context),
      executeNow_(executeNow),
      statusPanel_(statusPanel),
      scheduler_(context.paths, context.settings, context.scheduler) {
  scheduler_.setNetworkManager(platform.network());
  scheduler_.setConnectivityTest([&platform] { return platform.isConnected(); });
  scheduler_.setNotifier(notifier);
  // The run goes on beside everything else; its end gives the window back.
  connect(&scheduler_, &mScheduler::finished, this, &ScheduleController::scheduleEnded);
  connect(&timer_, &ScheduleTimer::tick, this, &ScheduleController::tmrSchedule_Timer);
  connect(&timer_, &ScheduleTimer::started, this, [this](int intervalMs) {
    writeLog(ScheduleTimer::startedLogText(intervalMs,
                                           QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat)));
  });
  connect(&timer_, &ScheduleTimer::stopped, this, [this] {
    writeLog(ScheduleTimer::stoppedLogText(QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat)));
  });
}

void ScheduleController::EnableSchedule(bool reload) {
  timer_.setEnabled(false);
  if (reload) (void)context_.settings.LoadSchedulerSettings(true);
  timer_.arm(context_.settings.schedulerEnabled == 1, context_.settings.interval,
             context_.commandSwitch == CommandSwitch::Debug);
}

void ScheduleController::tmrSchedule_Timer() {
  if (stopped_ || running_ || context_.scheduler.inProgress) return;
  timer_.setEnabled(false);
  executeNow_.setEnabled(false);
  statusPanel_.setText(context_.languages.getMessages(QStringLiteral("MSG_WND_EXECUTING")));
  running_ = true;
  // Started, not waited for: a viewer checking meanwhile gets its answer
  // whenever it comes, and the run is not held up by one either.
  if (!scheduler_.start()) scheduleEnded();
}

void ScheduleController::scheduleEnded() {
  if (stopped_ || !running_) return;
  running_ = false;
  statusPanel_.setText(context_.languages.getMessages(QStringLiteral("MSG_WND_READY")));
  executeNow_.setEnabled(true);
  // A run by hand leaves the timer as the settings have it: a switched-off
  // scheduler stays off.
  EnableSchedule(false);
}

void ScheduleController::stop() {
  stopped_ = true;
  context_.scheduler.Running = false;
  running_ = false;
  timer_.setEnabled(false);
}

void ScheduleController::writeLog(const QString& text) {
  scheduler_.WriteScheduleLog(text);
  emit logged(text);
}

}  // namespace tidewell
