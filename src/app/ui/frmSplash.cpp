#include "app/ui/frmSplash.h"

#include "app/AppContext.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace tidewell {

frmSplash::frmSplash(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), context_(context) {
  setObjectName(QStringLiteral("frmSplash"));
  setWindowTitle(context_.identity.programName);
  setFixedSize(460, 260);
  Timer2.setObjectName(QStringLiteral("Timer2"));
  Timer2.setInterval(kTickMs);
  connect(&Timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
  invisible_ = context_.userStore.machineValue(QStringLiteral("Settings"), QStringLiteral("chkSplash"),
                                               QStringLiteral("0")) == QLatin1String("1");
}

void frmSplash::start() {
  if (!invisible_) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
    show();
  }
  counter_ = 0;
  Timer2.start();
}

void frmSplash::Timer2_Timer() {
  counter_ = static_cast<qint16>(counter_ + kTickMs);
  if (counter_ != kDoneCount) return;
  Timer2.stop();
  if (onElapsed_) onElapsed_();
  hide();
}

void frmSplash::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient background(rect().topLeft(), rect().bottomRight());
  background.setColorAt(0.0, QColor(0x0b, 0x3d, 0x5c));
  background.setColorAt(1.0, QColor(0x11, 0x7a, 0x8b));
  painter.fillRect(rect(), background);

  // A few soft wave lines give the picture its name.
  painter.setPen(QPen(QColor(255, 255, 255, 40), 2));
  for (int row = 0; row < 4; ++row) {
    QPainterPath wave;
    const qreal y = height() - 70 + row * 14;
    wave.moveTo(0, y);
    for (int x = 0; x <= width(); x += 40) {
      wave.quadTo(x + 10, y - 8, x + 20, y);
      wave.quadTo(x + 30, y + 8, x + 40, y);
    }
    painter.drawPath(wave);
  }

  const QPixmap icon = QIcon(QStringLiteral(":/icons/tidewell-64.png")).pixmap(64, 64);
  painter.drawPixmap(36, 56, icon);
  painter.setPen(Qt::white);
  QFont title = font();
  title.setPointSizeF(28);
  title.setWeight(QFont::DemiBold);
  painter.setFont(title);
  painter.drawText(QRect(120, 48, width() - 140, 50), Qt::AlignLeft | Qt::AlignVCenter, context_.identity.programName);
  QFont small = font();
  small.setPointSizeF(10);
  painter.setFont(small);
  painter.setPen(QColor(255, 255, 255, 200));
  painter.drawText(QRect(122, 98, width() - 140, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   tr("A reader for web feeds and podcasts"));
  painter.drawText(QRect(24, height() - 30, width() - 48, 20), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Version %1 - %2").arg(context_.identity.version, context_.identity.companyName));
}

}  // namespace tidewell
