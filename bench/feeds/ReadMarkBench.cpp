// Prints the cost of one read mark (the click on an unread item) in a store of
// 5,000 items of about 3 KB each (a description and a full body), the size a
// busy feed reaches in a few months. The store is written as text here, not by
// the store code, so every build measures the same file.
// Run the Release build: build/rel/bin/bench_read_mark

#include "core/UserMessages.h"
#include "core/clsMD5.h"
#include "feeds/ItemStore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tidewell;

namespace {

class NullMessages : public UserMessages {
 public:
  void showMessage(const QString&, const QString&, MessageIcon) override {}
  bool askYesNo(const QString&, const QString&) override { return false; }
  bool askRetryCancel(const QString&, const QString&, MessageIcon) override { return false; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

QString link(int i) { return QStringLiteral("http://bench.example/item/%1").arg(i); }

QByteArray makeStore(int count) {
  const clsMD5 md5;
  const QByteArray teaser = QByteArray("The tide tables for the week &lt;b&gt;ahead&lt;/b&gt;. ").repeated(6);
  const QByteArray body =
      QByteArray("&lt;p&gt;Tides rise and fall twice a day; the moon pulls &amp;amp; the sun helps.&lt;/p&gt;")
          .repeated(25);
  QByteArray out = "<data><items>";
  out.reserve(count * 3200 + 100);
  for (int i = 0; i < count; ++i) {
    out += "<item id=\"" + md5.GetMD5(link(i)).toUtf8() + "\" status=\"" + (i % 3 == 0 ? "1" : "0") +
           "\"><title>Item " + QByteArray::number(i) + "</title><link>" + link(i).toUtf8() +
           "</link><date>2024-Jan-01T00:00:00</date><desc>" + teaser + "</desc><media/><content>" + body +
           "</content></item>";
  }
  out += "</items><latest>20240101000000</latest></data>\n";
  return out;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  NullMessages messages;
  const QString path = dir.filePath(QStringLiteral("store.fdb"));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(makeStore(5000));
  }
  const ItemStore store(path);
  std::printf("store: %.1f MB, 5,000 items\n", QFileInfo(path).size() / 1e6);

  // Items spread over the store, each marked read then unread again, so every
  // mark changes and saves the file.
  std::vector<double> ms;
  for (int run = 0; run < 20; ++run) {
    const QString target = link((run * 997) % 5000);
    const QString operation = run % 2 == 0 ? QStringLiteral("read") : QStringLiteral("unread");
    QElapsedTimer clock;
    clock.start();
    store.ItemOperation(target, operation, false, messages);
    ms.push_back(clock.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-44s median %7.2f ms  min %7.2f ms  max %7.2f ms\n", "mark one item read in 5,000", ms[ms.size() / 2],
              ms.front(), ms.back());
  return 0;
}
