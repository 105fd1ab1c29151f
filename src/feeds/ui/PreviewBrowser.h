#pragma once

#include <QHash>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTextBrowser>
#include <QUrl>

#include <functional>

class QNetworkReply;

namespace tidewell {

// ucPreview: shows a preview page. It never runs scripts (it has none to
// run), hands every clicked web or mail link to the user's browser, and
// fetches remote pictures in the background through the program's network
// access: the page shows at once and each picture appears when it has
// arrived. Every resource the page asks for is answered here: nothing is
// read from this machine's files, style sheets are never fetched, and only
// pictures from http(s) or inline in the page are shown. Pictures are
// decoded at the width they are shown at, within a pixel budget per page;
// one past a size cap, beyond the budget or the count per page shows its
// alternative text instead.
class PreviewBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  static constexpr qint64 kMaxImageBytes = qint64(4) * 1024 * 1024;
  static constexpr int kMaxImagesPerPage = 48;
  static constexpr int kImageTimeoutMs = 15000;
  // An inline (data:) picture's address, at most.
  static constexpr qsizetype kMaxInlineImageChars = qsizetype(512) * 1024;
  // Pixels a picture may have before it is scaled to the page, and the
  // pixels all pictures of a page may keep once scaled.
  static constexpr qint64 kMaxSourcePixels = qint64(16) * 1000 * 1000;
  static constexpr qint64 kPagePixelBudget = qint64(12) * 1000 * 1000;
  // The text column's widest measure; wider windows centre it.
  static constexpr int kReadingWidth = 780;

  explicit PreviewBrowser(QWidget* parent = nullptr);
  ~PreviewBrowser() override;

  void setNetwork(QNetworkAccessManager* network) { network_ = network; }
  void setLinkHandler(std::function<void(const QUrl&)> handler) { linkHandler_ = std::move(handler); }
  // What relative links and pictures of the next page are relative to (the item's own address).
  void setLinkBase(const QUrl& base) { linkBase_ = base; }
  // Off: the next pages fetch no picture from the network at all.
  void setRemotePictures(bool load) { remotePictures_ = load; }

  // "about:blank": an empty page.
  void Navigate(const QString& url);
  // Shows the page in a local file; navigationCompleted follows at once.
  bool Navigate2(const QString& filePath);

  // What the page shows: its source, the body's text and its inner HTML.
  const QString& pageSource() const { return source_; }
  QString bodyInnerText() const;
  QString bodyInnerHtml() const;
  bool isBlank() const { return source_.isEmpty(); }
  int pendingImages() const { return static_cast<int>(pending_.size()); }
  // Pixels the page's pictures hold now.
  qint64 picturePixels() const { return pixelsUsed_; }

 signals:
  void navigationCompleted(const QString& location);
  // A key was pressed while the preview had the focus.
  void keyPressedInDocument();

 protected:
  QVariant loadResource(int type, const QUrl& name) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void show(const QString& html, const QUrl& base);
  void cancelImages();
  void imageArrived(QNetworkReply* reply, const QUrl& url);
  // The picture in bytes, decoded at the page's width within the budget; a
  // null image when it may not be shown.
  QImage decodePicture(const QByteArray& bytes);
  QVariant inlinePicture(const QUrl& name);
  // Puts a picture's alternative text where a picture that is not shown stood
  // (later: the document is being laid out when the refusal is made).
  void showAltText(const QUrl& name);
  void replaceWithAltText(const QUrl& name);
  void applyReadingWidth();

  QPointer<QNetworkAccessManager> network_;
  std::function<void(const QUrl&)> linkHandler_;
  QUrl linkBase_;
  QString source_;
  QHash<QNetworkReply*, QUrl> pending_;
  QSet<QUrl> requested_;
  qint64 pixelsUsed_ = 0;
  bool remotePictures_ = true;
  quint64 generation_ = 0;
};

}  // namespace tidewell
