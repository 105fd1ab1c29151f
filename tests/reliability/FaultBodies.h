#pragma once

#include <QByteArray>

namespace tidewell::test {

// A gzip member whose content is `size` zero bytes: a few hundred kilobytes
// that inflate to gigabytes. Built once per size by streaming zeros through
// zlib, never holding the inflated form.
QByteArray GzipOfZeros(qint64 size);

// Bytes that are not valid UTF-8 (Windows-1252 accents) inside a document
// that declares UTF-8.
QByteArray MislabelledFeed();

}  // namespace tidewell::test
