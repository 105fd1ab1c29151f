#include "feeds/StoreFile.h"

#include "feeds/FeedXml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tidewell {

namespace {

// pugixml's output goes straight into the temporary file: no second copy of
// the document in memory.
struct FileWriter : pugi::xml_writer {
  QSaveFile* file = nullptr;
  bool failed = false;
  void write(const void* data, size_t size) override {
    const auto length = static_cast<qint64>(size);
    if (!failed && file->write(static_cast<const char*>(data), length) != length) failed = true;
  }
};

}  // namespace

LoadState loadStore(const QString& path, StoreDocument& store) {
  QFile file(path);
  if (!file.exists()) return LoadState::Missing;
  if (!file.open(QIODevice::ReadOnly)) return LoadState::Unreadable;
  QByteArray bytes = file.readAll();
  file.close();
  if (!FeedXml::load(store.document, store.buffer, std::move(bytes))) return LoadState::NotXml;
  store.data = FeedXml::findFirst(store.document, "data");
  store.items = FeedXml::findPath(store.document, {"data", "items"});
  return LoadState::Loaded;
}

// The skeleton a store starts from when its file does not exist yet.
void createSkeleton(StoreDocument& store, bool withItems) {
  store.data = store.document.append_child("data");
  store.items = withItems ? store.data.append_child("items") : pugi::xml_node();
}

// Written whole and atomically as UTF-8; a declaration kept from the loaded
// file is made to say so.
Status saveStore(StoreDocument& store, const QString& path) {
  pugi::xml_node first = store.document.first_child();
  if (first.type() == pugi::node_declaration && first.attribute("encoding")) {
    first.attribute("encoding").set_value("UTF-8");
  }
  QDir().mkpath(QFileInfo(path).absolutePath());
  // Unbuffered, so a short write (full disk) shows in write()'s count: a
  // failed flush inside commit() would not stop the rename of a truncated
  // file. pugixml hands over its output in large pieces of its own.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    return Status::failure({1, QStringLiteral("ItemStore"), file.errorString()});
  }
  FileWriter writer;
  writer.file = &file;
  store.document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  writer.write("\n", 1);
  if (writer.failed || !file.commit()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return Status::failure({2, QStringLiteral("ItemStore"), reason});
  }
  return Status::success();
}

}  // namespace tidewell
