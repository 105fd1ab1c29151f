#pragma once

#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QListWidget;

namespace tidewell {

class Platform;
class clsLanguages;

// The new-items pop-up: a frameless, always-on-top window that slides up out
// of the bottom-right corner of the screen's work area, 75 twips in from its
// right edge, 100 twips every 10 ms, and slides down again after TimeToLive
// (AutoClose) or when "Close Window" is clicked. It never takes the keyboard
// focus unless CanGainFocus, and deletes itself once it has slid away. The
// creator sets the properties and fills lstResult, then calls show().
class frmNotification : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kStepTwips = 100;
  static constexpr int kRightMarginTwips = 75;
  static constexpr int kTickMs = 10;
  static constexpr int kWidthTwips = 5505;
  static constexpr int kHeightTwips = 1650;

  frmNotification(clsLanguages& languages, Platform& platform, QWidget* parent = nullptr);

  qint16 TransparencyPercentage = 0;  // 0..100
  QString SoundFilePath;
  bool PlaySound = false;
  bool AutoClose = false;
  qint32 TimeToLive = 0;  // ms
  bool MakeTransparent = false;
  bool CanGainFocus = false;

  // The work area the window slides in; empty: the screen's available geometry.
  QRect workAreaOverride;

  QListWidget* lstResult() const { return lstResult_; }
  QLabel* lblClose() const { return lblClose_; }
  QTimer& tmrAnimate() { return tmrAnimate_; }
  QTimer& tmrWait() { return tmrWait_; }

  // 0..255, from TransparencyPercentage when MakeTransparent (255 otherwise).
  int alpha() const { return alpha_; }
  static int alphaFor(int transparencyPercentage);
  // Twips per pixel of the screen the window is on (1440 twips an inch).
  double twipsPerPixelX() const;
  double twipsPerPixelY() const;
  int heightTwips() const { return heightTwips_; }
  int fullHeightTwips() const { return fullHeightTwips_; }
  bool closing() const { return direction_ == 1; }
  const QRect& workArea() const { return workArea_; }

  // The close control: slides the window down and away.
  void CloseWindow();

 signals:
  // A line of lstResult was double-clicked (its row from 0).
  void lineActivated(int row);

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void reposition();
  void tmrAnimate_Timer();
  void tmrWait_Timer();
  void giveFocusBack();

  clsLanguages& languages_;
  Platform& platform_;
  QFrame* body_;
  QLabel* lblInfo_;
  QListWidget* lstResult_;
  QLabel* picSide_;
  QLabel* picClose_;
  QLabel* lblClose_;
  QTimer tmrAnimate_;
  QTimer tmrWait_;
  QPointer<QWidget> previousWindow_;
  QRect workArea_;
  int fullHeightTwips_ = kHeightTwips;
  int heightTwips_ = 0;
  int direction_ = 0;  // 0 opening, 1 closing
  int alpha_ = 255;
  bool loaded_ = false;
};

}  // namespace tidewell
