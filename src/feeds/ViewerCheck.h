#pragma once

#include "feeds/FeedCheck.h"

#include <QObject>
#include <QString>

#include <functional>

class QNetworkAccessManager;

namespace tidewell {

class UserMessages;

// The feed viewer's check: the common check with the viewer's way of
// telling the user. Not connected: "Working Offline?" Retry/Cancel before
// anything is sent. A time-out: "Server Timeout!" Retry/Cancel, Retry making
// a fresh attempt. Every other failure: one box (the download's, the
// parser's, or the store's). It never waits: start() returns at once and
// finished() follows from the event loop, so any number of viewers and a
// scheduled run can check side by side.
class ViewerCheck : public QObject {
  Q_OBJECT

 public:
  // programName completes the offline question's text.
  ViewerCheck(QNetworkAccessManager* manager, std::function<bool()> isConnected, UserMessages& messages,
              QString programName, QObject* parent = nullptr);

  // False when the user chose Cancel at the offline question (or a check is
  // running): nothing was sent and finished() does not follow.
  bool start(const FeedCheckRequest& request);
  void abort();
  bool isRunning() const { return check_.isRunning(); }

 signals:
  // True while a request is outstanding (the viewer's StillExecuting).
  void executingChanged(bool executing);
  // The answer is being read (the viewer's "(parsing ...)").
  void parsing();
  // After the result's one message, if any, has been shown.
  void finished(const tidewell::FeedCheckResult& result);

 private:
  void onChecked(const FeedCheckResult& result);
  void report(const FeedCheckResult& result);
  void setExecuting(bool executing);

  FeedCheck check_;
  std::function<bool()> isConnected_;
  UserMessages& messages_;
  QString programName_;
  FeedCheckRequest request_;
  bool executing_ = false;
};

}  // namespace tidewell
