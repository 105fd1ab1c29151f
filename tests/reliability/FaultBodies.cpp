#include "FaultBodies.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace tidewell::test {

QByteArray GzipOfZeros(qint64 size) {
  z_stream stream{};
  // 15 + 16: a gzip header and trailer around the deflate stream.
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
  std::vector<unsigned char> zeros(1 << 20, 0);
  std::vector<unsigned char> out(1 << 16);
  QByteArray result;
  qint64 left = size;
  int flush = Z_NO_FLUSH;
  do {
    const auto piece = static_cast<uInt>(std::min<qint64>(left, static_cast<qint64>(zeros.size())));
    stream.next_in = zeros.data();
    stream.avail_in = piece;
    left -= piece;
    flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      deflate(&stream, flush);
      result.append(reinterpret_cast<const char*>(out.data()), static_cast<qsizetype>(out.size() - stream.avail_out));
    } while (stream.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&stream);
  return result;
}

QByteArray MislabelledFeed() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel><title>Caf\xe9</title>"
         "<item><title>Cr\xe8me br\xfbl\xe9"
         "e</title><link>http://example.invalid/creme</link><pubDate>Sat, 05 Dec 2026 11:00:00 GMT</pubDate>"
         "<description>\x93quoted\x94</description></item></channel></rss>";
}

}  // namespace tidewell::test
