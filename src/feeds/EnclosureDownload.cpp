#include "feeds/EnclosureDownload.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStorageInfo>

namespace tidewell {

EnclosureDownload::EnclosureDownload(QNetworkAccessManager* manager, QObject* parent)
    : QObject(parent), manager_(manager) {
  if (!manager_) {
    ownManager_ = std::make_unique<QNetworkAccessManager>();
    manager_ = ownManager_.get();
  }
}

EnclosureDownload::~EnclosureDownload() {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
  }
  if (file_) file_->cancelWriting();
}

QString EnclosureDownload::suggestedFileName(const QUrl& url) {
  const QString name = QFileInfo(url.path()).fileName();
  return name.isEmpty() ? QStringLiteral("enclosure") : name;
}

qint64 EnclosureDownload::capBytes() const {
  const QString folder = QFileInfo(target_).absolutePath();
  const qint64 free = freeSpace ? freeSpace(folder) : QStorageInfo(folder).bytesAvailable();
  return qMax<qint64>(0, free - kReserveBytes);
}

void EnclosureDownload::start(const QUrl& url, const QString& targetPath) {
  cancel();
  failed_ = false;
  received_ = 0;
  target_ = targetPath;
  if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
    QMetaObject::invokeMethod(
        this, [this] { emit finished(QStringLiteral("The enclosure's address is not a web address.")); },
        Qt::QueuedConnection);
    return;
  }
  file_ = std::make_unique<QSaveFile>(targetPath);
  if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    const QString reason = file_->errorString();
    file_.reset();
    QMetaObject::invokeMethod(
        this, [this, reason] { emit finished(reason); }, Qt::QueuedConnection);
    return;
  }
  cap_ = capBytes();
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(10);
  reply_ = manager_->get(request);
  connect(reply_, &QNetworkReply::metaDataChanged, this, &EnclosureDownload::onMetaData);
  connect(reply_, &QNetworkReply::readyRead, this, &EnclosureDownload::onReadyRead);
  connect(reply_, &QNetworkReply::finished, this, &EnclosureDownload::onFinished);
}

void EnclosureDownload::cancel() {
  if (!reply_) return;
  failed_ = true;
  QNetworkReply* reply = reply_;
  reply_ = nullptr;
  reply->disconnect(this);
  reply->abort();
  reply->deleteLater();
  if (file_) file_->cancelWriting();
  file_.reset();
  emit finished(QStringLiteral("Cancelled."));
}

void EnclosureDownload::fail(const QString& reason) {
  if (failed_) return;
  failed_ = true;
  QNetworkReply* reply = reply_;
  reply_ = nullptr;
  if (reply) {
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
  }
  if (file_) file_->cancelWriting();
  file_.reset();
  emit finished(reason);
}

void EnclosureDownload::onMetaData() {
  const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
  if (length.isValid() && length.toLongLong() > cap_) {
    fail(QStringLiteral("The enclosure (%1 bytes) does not fit on the disk.").arg(length.toLongLong()));
  }
}

void EnclosureDownload::onReadyRead() {
  if (!reply_ || failed_) return;
  const QByteArray chunk = reply_->readAll();
  if (chunk.isEmpty()) return;
  if (received_ + chunk.size() > cap_) {
    fail(QStringLiteral("The enclosure does not fit on the disk."));
    return;
  }
  if (file_->write(chunk) != chunk.size()) {
    fail(file_->errorString());
    return;
  }
  received_ += chunk.size();
  const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
  emit progress(received_, length.isValid() ? length.toLongLong() : -1);
}

void EnclosureDownload::onFinished() {
  if (!reply_ || failed_) return;
  onReadyRead();
  if (failed_) return;
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply_->error() != QNetworkReply::NoError) {
    fail(reply_->errorString());
    return;
  }
  if (status != 0 && (status < 200 || status > 299)) {
    fail(QStringLiteral("The server answered %1.").arg(status));
    return;
  }
  // A connection dropped mid-body can end without an error: the announced
  // length tells a whole file from a cut one.
  const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
  if (length.isValid() && length.toLongLong() != received_) {
    fail(QStringLiteral("The download ended after %1 of %2 bytes.").arg(received_).arg(length.toLongLong()));
    return;
  }
  QNetworkReply* reply = reply_;
  reply_ = nullptr;
  reply->deleteLater();
  const bool committed = file_->commit();
  const QString reason = committed ? QString() : file_->errorString();
  file_.reset();
  emit finished(reason);
}

}  // namespace tidewell
