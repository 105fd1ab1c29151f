#include "core/ui/StarIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace tidewell {

namespace {

QPixmap drawStar(int size, bool filled) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  const double centre = size / 2.0;
  const double outer = size * 0.46;
  const double inner = outer * 0.45;
  for (int i = 0; i < 10; ++i) {
    const double angle = -M_PI / 2 + i * M_PI / 5;
    const double radius = i % 2 == 0 ? outer : inner;
    const QPointF point(centre + radius * std::cos(angle), centre + radius * std::sin(angle));
    if (i == 0) {
      path.moveTo(point);
    } else {
      path.lineTo(point);
    }
  }
  path.closeSubpath();
  painter.setPen(QPen(filled ? QColor(0xc0, 0x86, 0x00) : QColor(0xa0, 0xa0, 0xa0), 1));
  painter.setBrush(filled ? QColor(0xff, 0xc1, 0x07) : Qt::transparent);
  painter.drawPath(path);
  return pixmap;
}

}  // namespace

QIcon StarIcon(bool filled) {
  QIcon icon;
  for (int size : {16, 22, 32}) icon.addPixmap(drawStar(size, filled));
  return icon;
}

}  // namespace tidewell
