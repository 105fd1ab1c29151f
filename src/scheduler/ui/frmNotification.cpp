#include "scheduler/ui/frmNotification.h"

#include "core/ui/Platform.h"
#include "l10n/clsLanguages.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>

#include <cmath>

namespace tidewell {

namespace {

constexpr double kTwipsPerInch = 1440.0;

}  // namespace

frmNotification::frmNotification(clsLanguages& languages, Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      languages_(languages),
      platform_(platform) {
  setObjectName(QStringLiteral("frmNotification"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(true);

  // The content keeps its full size while the window grows over it, so the
  // slide uncovers it from the top like a blind.
  body_ = new QFrame(this);
  body_->setObjectName(QStringLiteral("picBody"));
  picSide_ = new QLabel(body_);
  picSide_->setObjectName(QStringLiteral("picSide"));
  picSide_->setPixmap(QIcon(QStringLiteral(":/icons/app-32.png")).pixmap(32, 32));
  picSide_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  lblInfo_ = new QLabel(QStringLiteral("Following Feeds Updated:"), body_);
  lblInfo_->setObjectName(QStringLiteral("lblInfo"));
  QFont bold = lblInfo_->font();
  bold.setBold(true);
  lblInfo_->setFont(bold);
  lstResult_ = new QListWidget(body_);
  lstResult_->setObjectName(QStringLiteral("lstResult"));
  lstResult_->setFocusPolicy(Qt::NoFocus);
  connect(lstResult_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit lineActivated(lstResult_->row(item)); });
  lstResult_->setStyleSheet(QStringLiteral("QListWidget { background: #e8e8e8; border: 1px solid #c0c0c0; }"));
  picClose_ = new QLabel(body_);
  picClose_->setObjectName(QStringLiteral("picClose"));
  picClose_->setPixmap(style()->standardIcon(QStyle::SP_TitleBarCloseButton).pixmap(12, 12));
  picClose_->setCursor(Qt::PointingHandCursor);
  lblClose_ = new QLabel(QStringLiteral("Close Window"), body_);
  lblClose_->setObjectName(QStringLiteral("lblClose"));
  lblClose_->setCursor(Qt::PointingHandCursor);
  lblClose_->setStyleSheet(QStringLiteral("QLabel { color: #1a4f8b; text-decoration: underline; }"));
  for (QLabel* control : {picClose_, lblClose_}) control->installEventFilter(this);

  auto* layout = new QGridLayout(body_);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addWidget(picSide_, 0, 0, 3, 1);
  layout->addWidget(lblInfo_, 0, 1, 1, 2);
  layout->addWidget(lstResult_, 1, 1, 1, 2);
  layout->addWidget(picClose_, 2, 1, Qt::AlignRight);
  layout->addWidget(lblClose_, 2, 2, Qt::AlignLeft);
  layout->setColumnStretch(1, 1);
  body_->setStyleSheet(QStringLiteral("QFrame#picBody { background: #f7f7f2; border: 1px solid #7a8a99; }"));

  tmrAnimate_.setInterval(kTickMs);
  connect(&tmrAnimate_, &QTimer::timeout, this, &frmNotification::tmrAnimate_Timer);
  connect(&tmrWait_, &QTimer::timeout, this, &frmNotification::tmrWait_Timer);
}

double frmNotification::twipsPerPixelX() const {
  const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  const double dpi = s != nullptr && s->logicalDotsPerInchX() > 0 ? s->logicalDotsPerInchX() : 96.0;
  return kTwipsPerInch / dpi;
}

double frmNotification::twipsPerPixelY() const {
  const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  const double dpi = s != nullptr && s->logicalDotsPerInchY() > 0 ? s->logicalDotsPerInchY() : 96.0;
  return kTwipsPerInch / dpi;
}

int frmNotification::alphaFor(int transparencyPercentage) {
  const long value = std::lround((100.0 - transparencyPercentage) / 100.0 * 255.0);
  return value < 0 || value > 255 ? 1 : static_cast<int>(value);
}

void frmNotification::showEvent(QShowEvent* event) {
  if (!loaded_) Form_Load();
  QWidget::showEvent(event);
  giveFocusBack();
}

void frmNotification::Form_Load() {
  loaded_ = true;
  previousWindow_ = QApplication::activeWindow();
  WindowLocalizer(languages_).applyLoaded(this);
  alpha_ = 255;
  if (MakeTransparent) {
    alpha_ = alphaFor(TransparencyPercentage);
    setWindowOpacity(alpha_ / 255.0);
  }
  lblClose_->setVisible(!AutoClose);
  picClose_->setVisible(!AutoClose);
  workArea_ = workAreaOverride;
  if (workArea_.isEmpty()) {
    const QScreen* s = QGuiApplication::primaryScreen();
    if (s != nullptr) workArea_ = s->availableGeometry();
  }
  fullHeightTwips_ = kHeightTwips;
  heightTwips_ = 0;
  setFixedWidth(static_cast<int>(std::lround(kWidthTwips / twipsPerPixelX())));
  body_->setFixedSize(width(), static_cast<int>(std::lround(fullHeightTwips_ / twipsPerPixelY())));
  body_->move(0, 0);
  reposition();
  direction_ = 0;
  if (PlaySound && QFileInfo::exists(SoundFilePath)) platform_.playSound(SoundFilePath);
  tmrAnimate_.start();
}

void frmNotification::reposition() {
  const double tx = twipsPerPixelX();
  const double ty = twipsPerPixelY();
  const int heightPx = static_cast<int>(std::lround(heightTwips_ / ty));
  const int widthPx = width();
  // The work area's right and bottom edges (QRect's right()/bottom() are the last pixel inside).
  const int right = workArea_.x() + workArea_.width();
  const int bottom = workArea_.y() + workArea_.height();
  const int left = right - widthPx - static_cast<int>(std::lround(kRightMarginTwips / tx));
  setFixedHeight(heightPx);
  move(left, bottom - heightPx);
}

void frmNotification::tmrAnimate_Timer() {
  if (direction_ == 0) {
    if (heightTwips_ < fullHeightTwips_) {
      heightTwips_ += kStepTwips;
      reposition();
    } else {
      tmrAnimate_.stop();
      tmrWait_.setInterval(TimeToLive);
      if (AutoClose) tmrWait_.start();
    }
  } else {
    if (heightTwips_ <= kStepTwips) {
      tmrAnimate_.stop();
      close();
    } else {
      heightTwips_ -= kStepTwips;
      reposition();
    }
  }
}

void frmNotification::tmrWait_Timer() {
  tmrWait_.stop();
  direction_ = 1;
  tmrAnimate_.start();
}

void frmNotification::CloseWindow() {
  tmrWait_.stop();
  direction_ = 1;
  tmrAnimate_.start();
}

bool frmNotification::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) giveFocusBack();
  return QWidget::event(event);
}

void frmNotification::giveFocusBack() {
  if (CanGainFocus || previousWindow_.isNull() || previousWindow_ == this) return;
  previousWindow_->activateWindow();
}

bool frmNotification::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == lblClose_ || watched == picClose_) && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    CloseWindow();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tidewell
