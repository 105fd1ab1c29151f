#pragma once

#include <QObject>
#include <QSaveFile>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace tidewell {

// Saves one enclosure (a podcast's audio or video) to a file the user chose,
// straight from the network to disk: the file appears whole when the
// download completes and never half-written (QSaveFile), a cancel or a
// failure leaves no file behind, and the download stops before it would use
// up the disk (the free space of the target's volume, less a reserve, is the
// cap; a server that announces more is refused before a byte is written).
// progress() reports bytes received and the total (-1 when unknown);
// finished() fires exactly once per start() with "" on success or the reason.
class EnclosureDownload : public QObject {
  Q_OBJECT

 public:
  // Room left on the volume after a download, so the system keeps working.
  static constexpr qint64 kReserveBytes = 64LL * 1024 * 1024;

  explicit EnclosureDownload(QNetworkAccessManager* manager = nullptr, QObject* parent = nullptr);
  ~EnclosureDownload() override;

  // freeBytes replaces the volume query (tests).
  std::function<qint64(const QString& path)> freeSpace;

  void start(const QUrl& url, const QString& targetPath);
  void cancel();
  bool isRunning() const { return reply_ != nullptr; }

  // The file name an address suggests ("episode-3.mp3"), "enclosure" when it has none.
  static QString suggestedFileName(const QUrl& url);

 signals:
  void progress(qint64 received, qint64 total);
  void finished(const QString& error);

 private:
  void onMetaData();
  void onReadyRead();
  void onFinished();
  void fail(const QString& reason);
  qint64 capBytes() const;

  QNetworkAccessManager* manager_;
  std::unique_ptr<QNetworkAccessManager> ownManager_;
  QNetworkReply* reply_ = nullptr;
  std::unique_ptr<QSaveFile> file_;
  QString target_;
  qint64 received_ = 0;
  qint64 cap_ = 0;
  bool failed_ = false;
};

}  // namespace tidewell
