#include "feeds/ui/PreviewBrowser.h"

#include "feeds/ui/PreviewPage.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFrameFormat>

namespace tidewell {

PreviewBrowser::PreviewBrowser(QWidget* parent) : QTextBrowser(parent) {
  setObjectName(QStringLiteral("ucPreview"));
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setFrameShape(QFrame::NoFrame);
  setPlaceholderText(QStringLiteral("Select an item to read it here."));
  connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
      scrollToAnchor(link.fragment());
      return;
    }
    const QUrl url = link.isRelative() ? linkBase_.resolved(link) : link;
    // Only web and mail addresses leave the program: a page from a feed
    // never gets to open a file on this machine.
    const QString scheme = url.scheme().toLower();
    const bool web =
        scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto");
    if (linkHandler_ && web) linkHandler_(url);
  });
}

PreviewBrowser::~PreviewBrowser() { cancelImages(); }

void PreviewBrowser::Navigate(const QString& url) {
  if (url == QLatin1String("about:blank")) {
    show(QString(), QUrl());
    emit navigationCompleted(url);
  }
}

bool PreviewBrowser::Navigate2(const QString& filePath) {
  QFile file(filePath);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString html = QString::fromUtf8(file.readAll());
  file.close();
  show(html, QUrl::fromLocalFile(QFileInfo(filePath).absolutePath() + QLatin1Char('/')));
  emit navigationCompleted(filePath);
  return true;
}

void PreviewBrowser::show(const QString& html, const QUrl& base) {
  cancelImages();
  ++generation_;
  requested_.clear();
  source_ = html;
  document()->clear();
  document()->setBaseUrl(base);
  setHtml(html);
  applyReadingWidth();
}

QString PreviewBrowser::bodyInnerText() const { return source_.isEmpty() ? QString() : toPlainText(); }

QString PreviewBrowser::bodyInnerHtml() const { return PreviewPage::bodyInnerHtml(source_); }

QVariant PreviewBrowser::loadResource(int type, const QUrl& name) {
  if (type != QTextDocument::ImageResource) {
    // Style sheets and other documents of a page are never fetched.
    return {};
  }
  const QUrl url = name.isRelative() ? linkBase_.resolved(name) : name;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("data")) return QTextBrowser::loadResource(type, name);
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return {};
  if (!network_ || requested_.contains(url) || requested_.size() >= kMaxImagesPerPage) return {};
  requested_.insert(url);
  QNetworkRequest request(url);
  request.setTransferTimeout(kImageTimeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  QNetworkReply* reply = network_->get(request);
  pending_.insert(reply, name);
  const quint64 generation = generation_;
  connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64 total) {
    if (received > kMaxImageBytes || total > kMaxImageBytes) reply->abort();
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply, name, generation] {
    pending_.remove(reply);
    reply->deleteLater();
    if (generation == generation_) imageArrived(reply, name);
  });
  return {};
}

void PreviewBrowser::imageArrived(QNetworkReply* reply, const QUrl& name) {
  if (reply->error() != QNetworkReply::NoError) return;
  const QByteArray bytes = reply->read(kMaxImageBytes + 1);
  if (bytes.size() > kMaxImageBytes) return;
  QImage image;
  if (!image.loadFromData(bytes)) return;
  const int room = qMin(viewport()->width(), kReadingWidth) - 90;
  if (room > 64 && image.width() > room) image = image.scaledToWidth(room, Qt::SmoothTransformation);
  document()->addResource(QTextDocument::ImageResource, name, image);
  // The picture changes the layout around it.
  document()->markContentsDirty(0, document()->characterCount());
}

void PreviewBrowser::cancelImages() {
  const auto replies = pending_.keys();
  pending_.clear();
  for (QNetworkReply* reply : replies) {
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
  }
}

void PreviewBrowser::applyReadingWidth() {
  QTextFrame* root = document()->rootFrame();
  QTextFrameFormat format = root->frameFormat();
  const qreal side = qMax<qreal>(12, (viewport()->width() - kReadingWidth) / 2.0);
  if (qFuzzyCompare(format.leftMargin(), side) && qFuzzyCompare(format.rightMargin(), side)) return;
  format.setLeftMargin(side);
  format.setRightMargin(side);
  root->setFrameFormat(format);
}

void PreviewBrowser::resizeEvent(QResizeEvent* event) {
  QTextBrowser::resizeEvent(event);
  applyReadingWidth();
}

void PreviewBrowser::keyPressEvent(QKeyEvent* event) {
  QTextBrowser::keyPressEvent(event);
  emit keyPressedInDocument();
}

}  // namespace tidewell
