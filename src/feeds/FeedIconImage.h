#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tidewell {

// A downloaded picture made into a feed icon: decoded (ICO, PNG, GIF, JPEG
// and the BMP inside icons; nothing else, and never a picture that is
// absurdly large or far from square), scaled into a square and kept as PNG.
class FeedIconImage {
 public:
  // A download for an icon stops past this size.
  static constexpr qint64 kMaxBytes = qint64(1) << 20;
  // Pictures with a longer side are refused before they are decoded.
  static constexpr int kMaxSide = 1024;
  // The stored icon's side; the tree draws it at 16 px, sharper screens at 32.
  static constexpr int kSide = 32;

  struct Decoded {
    QImage image;
    QString error;  // why the bytes make no icon; empty on success
    bool ok() const { return error.isEmpty(); }
  };

  // The picture in bytes; of an icon file's several pictures, the smallest
  // of at least kSide px, else the largest.
  static Decoded decode(const QByteArray& bytes);
  // image scaled to fit side x side, centred on a transparent square.
  static QImage normalise(const QImage& image, int side = kSide);
  // Writes icon as PNG to path atomically (the folder is made when missing);
  // false leaves an older file as it was.
  static bool save(const QImage& icon, const QString& path);
};

}  // namespace tidewell
