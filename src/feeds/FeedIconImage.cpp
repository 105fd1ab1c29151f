#include "feeds/FeedIconImage.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace tidewell {

namespace {

bool acceptedFormat(const QByteArray& format) {
  return format == "ico" || format == "png" || format == "gif" || format == "jpeg" || format == "jpg" ||
         format == "bmp";
}

bool tooLarge(const QSize& size) {
  return size.width() > FeedIconImage::kMaxSide || size.height() > FeedIconImage::kMaxSide;
}

// A banner (an 88 x 31 button, a wide logo) is no icon.
bool farFromSquare(const QSize& size) { return size.width() > 2 * size.height() || size.height() > 2 * size.width(); }

// Better is the smallest picture of at least kSide px, else the largest.
bool better(const QSize& candidate, const QSize& best) {
  if (best.isEmpty()) return true;
  const int side = std::min(candidate.width(), candidate.height());
  const int bestSide = std::min(best.width(), best.height());
  if (bestSide >= FeedIconImage::kSide) return side >= FeedIconImage::kSide && side < bestSide;
  return side > bestSide;
}

}  // namespace

FeedIconImage::Decoded FeedIconImage::decode(const QByteArray& bytes) {
  Decoded decoded;
  QByteArray data = bytes;
  QBuffer buffer(&data);
  if (bytes.isEmpty() || !buffer.open(QIODevice::ReadOnly)) {
    decoded.error = QStringLiteral("not an image");
    return decoded;
  }
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  if (!acceptedFormat(reader.format())) {
    decoded.error = QStringLiteral("not an image");
    return decoded;
  }
  constexpr int kMaxPictures = 16;
  const int count = std::clamp(reader.imageCount(), 1, kMaxPictures);
  QImage best;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !reader.jumpToImage(i)) break;
    const QSize size = reader.size();
    if (size.isValid() && tooLarge(size)) {
      decoded.error = QStringLiteral("image too large (%1 x %2 px)").arg(size.width()).arg(size.height());
      continue;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) continue;
    if (tooLarge(image.size())) {
      decoded.error = QStringLiteral("image too large (%1 x %2 px)").arg(image.width()).arg(image.height());
      continue;
    }
    if (better(image.size(), best.size())) best = image;
  }
  if (best.isNull()) {
    if (decoded.error.isEmpty()) decoded.error = QStringLiteral("not an image");
    return decoded;
  }
  if (farFromSquare(best.size())) {
    decoded.error = QStringLiteral("not square (%1 x %2 px)").arg(best.width()).arg(best.height());
    return decoded;
  }
  decoded.error.clear();
  decoded.image = best;
  return decoded;
}

QImage FeedIconImage::normalise(const QImage& image, int side) {
  QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
  square.fill(Qt::transparent);
  if (image.isNull() || side <= 0) return square;
  const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  // A small icon grows by whole pixels (a sharp 16 px favicon stays sharp);
  // a large picture shrinks smoothly.
  const bool growing = source.width() <= side && source.height() <= side;
  const QImage scaled =
      source.scaled(side, side, Qt::KeepAspectRatio, growing ? Qt::FastTransformation : Qt::SmoothTransformation)
          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int left = (side - scaled.width()) / 2;
  const int top = (side - scaled.height()) / 2;
  for (int y = 0; y < scaled.height(); ++y) {
    std::memcpy(square.scanLine(top + y) + static_cast<ptrdiff_t>(left) * 4, scaled.constScanLine(y),
                static_cast<size_t>(scaled.width()) * 4);
  }
  return square;
}

bool FeedIconImage::save(const QImage& icon, const QString& path) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly)) return false;
  QImageWriter writer(&buffer, "png");
  if (!writer.write(icon)) return false;
  buffer.close();
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  // Unbuffered and the count checked: a full disk leaves the old icon, not a cut one.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  if (file.write(png) != png.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace tidewell
