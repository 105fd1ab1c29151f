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
// run), hands every clicked link to the user's browser, and fetches remote
// pictures in the background through the program's network access: the
// page shows at once and each picture appears when it has arrived. Pictures
// past a size cap, of a scheme other than http(s), or beyond a count per
// page are left out.
class PreviewBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  static constexpr qint64 kMaxImageBytes = qint64(4) * 1024 * 1024;
  static constexpr int kMaxImagesPerPage = 48;
  static constexpr int kImageTimeoutMs = 15000;
  // The text column's widest measure; wider windows centre it.
  static constexpr int kReadingWidth = 780;

  explicit PreviewBrowser(QWidget* parent = nullptr);
  ~PreviewBrowser() override;

  void setNetwork(QNetworkAccessManager* network) { network_ = network; }
  void setLinkHandler(std::function<void(const QUrl&)> handler) { linkHandler_ = std::move(handler); }
  // What relative links and pictures of the next page are relative to (the item's own address).
  void setLinkBase(const QUrl& base) { linkBase_ = base; }

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
  void applyReadingWidth();

  QPointer<QNetworkAccessManager> network_;
  std::function<void(const QUrl&)> linkHandler_;
  QUrl linkBase_;
  QString source_;
  QHash<QNetworkReply*, QUrl> pending_;
  QSet<QUrl> requested_;
  quint64 generation_ = 0;
};

}  // namespace tidewell
