#include "feeds/ui/PreviewBrowser.h"

#include "core/AppIdentity.h"
#include "feeds/LinkPolicy.h"
#include "feeds/ui/PreviewPage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextBlock>
#include <QTextCursor>
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
    // Only web and mail addresses leave the program: a page from a feed
    // never gets to open a file on this machine.
    const std::optional<QUrl> url = LinkPolicy::forOpening(link.isRelative() ? linkBase_.resolved(link) : link);
    if (linkHandler_ && url) linkHandler_(*url);
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
  // The page's relative addresses are the item's, never the folder the page
  // file happens to be written to.
  show(html, LinkPolicy::isRemotePicture(linkBase_) ? linkBase_ : QUrl());
  emit navigationCompleted(filePath);
  return true;
}

void PreviewBrowser::show(const QString& html, const QUrl& base) {
  cancelImages();
  ++generation_;
  requested_.clear();
  pixelsUsed_ = 0;
  source_ = html;
  document()->clear();
  document()->setBaseUrl(base);
  setHtml(html);
  applyReadingWidth();
}

QString PreviewBrowser::bodyInnerText() const { return source_.isEmpty() ? QString() : toPlainText(); }

QString PreviewBrowser::bodyInnerHtml() const { return PreviewPage::bodyInnerHtml(source_); }

QVariant PreviewBrowser::loadResource(int type, const QUrl& name) {
  // Whatever is refused is answered with an empty resource rather than
  // nothing: the text document would otherwise read a local file or decode
  // an inline address itself, and the picture handler would load a missing
  // picture from a local path. A picture still on its way stands in as a
  // transparent pixel until it arrives.
  if (type != QTextDocument::ImageResource) {
    // Style sheets and other documents of a page are never fetched.
    return QByteArray();
  }
  static const QImage placeholder = [] {
    QImage pixel(1, 1, QImage::Format_ARGB32);
    pixel.fill(Qt::transparent);
    return pixel;
  }();
  QVariant refused = placeholder;
  const QUrl url = name.isRelative() ? linkBase_.resolved(name) : name;
  if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) {
    QVariant picture = inlinePicture(name);
    if (picture.isValid()) return picture;
    showAltText(name);
    return refused;
  }
  if (!LinkPolicy::isRemotePicture(url)) return refused;
  if (!remotePictures_ || !network_ || requested_.contains(url) || requested_.size() >= kMaxImagesPerPage) {
    if (!requested_.contains(url)) showAltText(name);
    return refused;
  }
  requested_.insert(url);
  QNetworkRequest request(url);
  request.setTransferTimeout(kImageTimeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  // The sender of a picture learns no more than that the program asked: no
  // cookies, no page it was asked from, the program's own name.
  static const QByteArray agent = [] {
    const AppIdentity identity;
    return (identity.programName + QLatin1Char('/') + identity.version).toUtf8();
  }();
  request.setHeader(QNetworkRequest::UserAgentHeader, agent);
  request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
  request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
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
  return refused;
}

QVariant PreviewBrowser::inlinePicture(const QUrl& name) {
  const QString address = name.toString(QUrl::FullyEncoded);
  if (address.size() > kMaxInlineImageChars) return {};
  const qsizetype comma = address.indexOf(QLatin1Char(','));
  if (comma < 0) return {};
  const QString header = address.left(comma).toLower();
  if (!header.startsWith(QLatin1String("data:image/"))) return {};
  const QByteArray payload = QByteArray::fromPercentEncoding(address.mid(comma + 1).toLatin1());
  const QByteArray bytes = header.endsWith(QLatin1String(";base64")) ? QByteArray::fromBase64(payload) : payload;
  const QImage image = decodePicture(bytes);
  if (image.isNull()) return {};
  return image;
}

QImage PreviewBrowser::decodePicture(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return {};
  if (qint64(size.width()) * size.height() > kMaxSourcePixels) return {};
  QSize shown = size;
  const int room = qMax(64, qMin(viewport()->width(), kReadingWidth) - 90);
  if (size.width() > room) {
    shown = QSize(room, qMax(1, static_cast<int>(qint64(size.height()) * room / size.width())));
    reader.setScaledSize(shown);
  }
  // Decided before decoding: a picture that does not fit the page's budget
  // costs nothing.
  const qint64 pixels = qint64(shown.width()) * shown.height();
  if (pixelsUsed_ + pixels > kPagePixelBudget) return {};
  QImage image = reader.read();
  if (image.isNull()) return {};
  pixelsUsed_ += qint64(image.width()) * image.height();
  return image;
}

void PreviewBrowser::imageArrived(QNetworkReply* reply, const QUrl& name) {
  if (reply->error() != QNetworkReply::NoError) return;
  const QByteArray bytes = reply->read(kMaxImageBytes + 1);
  const QImage image = bytes.size() > kMaxImageBytes ? QImage() : decodePicture(bytes);
  if (image.isNull()) {
    replaceWithAltText(name);
    return;
  }
  document()->addResource(QTextDocument::ImageResource, name, image);
  // The picture changes the layout around it.
  document()->markContentsDirty(0, document()->characterCount());
}

void PreviewBrowser::showAltText(const QUrl& name) {
  const quint64 generation = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, name, generation] {
        if (generation == generation_) replaceWithAltText(name);
      },
      Qt::QueuedConnection);
}

void PreviewBrowser::replaceWithAltText(const QUrl& name) {
  QTextDocument* doc = document();
  const QUrl base = doc->baseUrl();
  // Each replacement changes the block under the walk: it starts again
  // until no picture of that address is left.
  for (bool replaced = true; replaced;) {
    replaced = false;
    for (QTextBlock block = doc->begin(); block.isValid() && !replaced; block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid() || !fragment.charFormat().isImageFormat()) continue;
        const QTextImageFormat format = fragment.charFormat().toImageFormat();
        if (base.resolved(QUrl(format.name())) != name && QUrl(format.name()) != name) continue;
        QString alt = format.property(QTextFormat::ImageAltText).toString();
        if (alt.isEmpty()) alt = format.property(QTextFormat::ImageTitle).toString();
        QTextCursor cursor(doc);
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        QTextCharFormat plain;
        plain.setFontItalic(true);
        cursor.insertText(alt.isEmpty() ? QString() : QLatin1Char('[') + alt + QLatin1Char(']'), plain);
        replaced = true;
        break;
      }
    }
  }
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
