// Prints, for one hostile item, the time from opening it in the preview to
// its first paint (or the time of the export or the merge) and the process's
// peak memory. One case per run, so each peak is its own:
//   QT_QPA_PLATFORM=offscreen build/rel/bin/bench_hostile CASE
// CASE: local-picture, tables-22, divs-10000, bold-100000, amplifier,
// pictures-40, description-50mb, export-script, future-date.

#include "core/AppIdentity.h"
#include "feeds/ItemExport.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/PreviewBrowser.h"
#include "feeds/ui/PreviewPage.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

using namespace tidewell;

namespace {

QString repeated(const QString& piece, int times) {
  QString out;
  out.reserve(piece.size() * times);
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

QString pngUri(int width, int height, QRgb colour) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

FeedItem itemFor(const QString& name) {
  FeedItem item;
  item.title = name;
  item.link = QStringLiteral("http://127.0.0.1:1/item");
  item.day = QStringLiteral("07");
  item.month = QStringLiteral("Sep");
  item.year = QStringLiteral("2002");
  item.time = QStringLiteral("00:00:01");
  if (name == QLatin1String("local-picture")) {
    item.description = QStringLiteral("<img src=\"/dev/zero\"><img src=\"file:///dev/zero\">");
  } else if (name == QLatin1String("tables-22")) {
    item.description = repeated(QStringLiteral("<table><tr><td>"), 22) + QStringLiteral("core");
  } else if (name == QLatin1String("divs-10000")) {
    item.description = repeated(QStringLiteral("<div>"), 10000) + QStringLiteral("core");
  } else if (name == QLatin1String("bold-100000")) {
    item.description = repeated(QStringLiteral("<b>"), 100000) + QStringLiteral("core");
  } else if (name == QLatin1String("amplifier")) {
    item.title = repeated(QStringLiteral("[[link]]"), 1000);
    item.link = QStringLiteral("http://127.0.0.1:1/?") + repeated(QStringLiteral("[[desc]]"), 1000);
    item.description = repeated(QStringLiteral("x"), 1024);
  } else if (name == QLatin1String("pictures-40")) {
    // Forty distinct inline pictures of 5700 x 5700 (eight drawings, five
    // addresses each).
    for (int i = 0; i < 8; ++i) {
      const QString uri = pngUri(5700, 5700, qRgb(10 * i, 80, 160));
      for (int j = 0; j < 5; ++j) {
        item.description += QStringLiteral("<img alt=\"p\" src=\"") + uri + QStringLiteral("#") + QString::number(j) +
                            QStringLiteral("\">");
      }
    }
  } else if (name == QLatin1String("description-50mb")) {
    item.description = repeated(QStringLiteral("<i>a</i>"), 6'500'000);
  } else if (name == QLatin1String("export-script")) {
    item.link = QStringLiteral("http://127.0.0.1:1/\"><script>document.title=\"PWNED\"</script>");
    item.description = repeated(QStringLiteral("<p onclick=x()>t<script>s()</script></p>"), 20000);
  }
  return item;
}

long peakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tables-22");
  QTemporaryDir dir;
  const FeedItem item = itemFor(name);
  const long before = peakKb();
  QElapsedTimer timer;
  timer.start();
  qint64 size = 0;
  if (name == QLatin1String("export-script")) {
    size = ItemExport::Html(item, QStringLiteral("Tidewell")).size();
  } else if (name == QLatin1String("future-date")) {
    const ItemStore store(dir.filePath(QStringLiteral("store.fdb")));
    FeedItems items(1000);
    for (int i = 0; i < 1000; ++i) {
      items[i] = itemFor(QStringLiteral("plain"));
      items[i].link += QString::number(i);
      items[i].year = i == 0 ? QStringLiteral("9999") : QStringLiteral("2002");
    }
    size = store.MergeNewItems(items, QString()).added;
  } else {
    QFile tpl(QStringLiteral(TIDEWELL_SOURCE_DIR "/data/view.tpl"));
    tpl.open(QIODevice::ReadOnly);
    const QString page =
        PreviewPage::fill(QString::fromUtf8(tpl.readAll()), item, QStringLiteral("Tidewell"), QStringLiteral("(cut)"));
    size = page.size();
    QFile file(dir.filePath(QStringLiteral("page.html")));
    file.open(QIODevice::WriteOnly);
    file.write(page.toUtf8());
    file.close();
    PreviewBrowser preview;
    preview.resize(900, 600);
    preview.QWidget::show();  // (its own show() is the page's)
    preview.setLinkBase(QUrl(item.link));
    preview.Navigate2(file.fileName());
    (void)preview.grab();
    QCoreApplication::processEvents();
  }
  std::printf("%-18s %8lld ms  page/result %10lld  peak RSS %7ld MB (%ld MB before the case)\n", qPrintable(name),
              static_cast<long long>(timer.elapsed()), static_cast<long long>(size), peakKb() / 1024, before / 1024);
  return 0;
}
