#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

namespace tidewell {

struct AppContext;

// The start-up picture. It counts 75 ticks of its 2 ms timer, then hands over
// to the main window and hides; it stays loaded (hidden) until the main window
// unloads. The machine-wide "chkSplash" = "1" keeps it invisible, with the
// same delay.
class frmSplash : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 2;
  static constexpr qint16 kDoneCount = 150;

  explicit frmSplash(AppContext& context, QWidget* parent = nullptr);

  // Called once when the count is reached: creates and shows the main window.
  void setOnElapsed(std::function<void()> onElapsed) { onElapsed_ = std::move(onElapsed); }
  // Shows the splash (unless switched off) and starts the count.
  void start();
  bool keptInvisible() const { return invisible_; }
  qint16 counter() const { return counter_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Timer2_Timer();

  AppContext& context_;
  QTimer Timer2;
  qint16 counter_ = 0;
  bool invisible_ = false;
  std::function<void()> onElapsed_;
};

}  // namespace tidewell
