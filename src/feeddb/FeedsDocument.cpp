#include "feeddb/FeedsDocument.h"

#include "core/RuntimeError.h"
#include "core/Utilities.h"
#include "feeddb/FeedDbTexts.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cstring>

namespace tidewell {

namespace {

// Comments, processing instructions and a DOCTYPE written by someone else are
// kept through a save; the XML declaration is not, because the file is always
// written back as UTF-8 and an old declaration could name another encoding.
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;
constexpr unsigned kSaveFlags = pugi::format_raw | pugi::format_no_declaration;

class ByteArrayWriter : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override {
    bytes.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
  }
  QByteArray bytes;
};

// A byte-order mark or NUL bytes mean UTF-16/32, which the parser recognises
// by itself; anything else must be valid UTF-8 or is taken as Windows-1252,
// the encoding older copies of the database were written in.
bool needsLegacyDecoding(const QByteArray& bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) return false;
  if (bytes.contains('\0')) return false;
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString ignored = decoder(bytes);
  return decoder.hasError();
}

QString fromUtf8(const char* text) { return QString::fromUtf8(text, static_cast<qsizetype>(std::strlen(text))); }

// Characters XML 1.0 cannot carry. A NUL would also cut the text short.
bool isStorableChar(char32_t c) {
  if (c == 0x9 || c == 0xA || c == 0xD) return true;
  if (c < 0x20) return false;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF;
}

}  // namespace

FeedsDocument::FeedsDocument(QString path, UserMessages& messages, QString operation)
    : path_(std::move(path)), messages_(messages), operation_(std::move(operation)) {}

void FeedsDocument::reportRuntimeError(int step, const QString& description) {
  tidewell::reportRuntimeError(messages_, operation_, step, description);
}

bool FeedsDocument::load() {
  if (!util::FileExists(path_)) {
    if (!util::WriteTextFile(path_, QStringLiteral("<categories/>"))) {
      reportRuntimeError(kStepCreate, QStringLiteral("Cannot create the feeds database \"%1\".").arg(path_));
      return false;
    }
  }
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) {
    messages_.showMessage(feeddb_text::invalidFormatText(), feeddb_text::invalidFormatTitle(),
                          MessageIcon::Exclamation);
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    reportRuntimeError(kStepRead, file.errorString());
    return false;
  }
  file.close();
  if (!parse(bytes)) {
    messages_.showMessage(feeddb_text::invalidFormatText(), feeddb_text::invalidFormatTitle(),
                          MessageIcon::Exclamation);
    return false;
  }
  // The first `categories` element in document order, at any depth.
  categories_ = document_.find_node([](pugi::xml_node node) {
    return node.type() == pugi::node_element && std::strcmp(node.name(), "categories") == 0;
  });
  if (!categories_) {
    messages_.showMessage(feeddb_text::invalidStructureText(), feeddb_text::invalidStructureTitle(),
                          MessageIcon::Exclamation);
    return false;
  }
  return checkRecords();
}

bool FeedsDocument::parse(const QByteArray& bytes) {
  pugi::xml_parse_result result;
  if (needsLegacyDecoding(bytes)) {
    const QByteArray utf8 = util::DecodeLegacyText(bytes).toUtf8();
    result =
        document_.load_buffer(utf8.constData(), static_cast<size_t>(utf8.size()), kParseFlags, pugi::encoding_utf8);
  } else {
    result =
        document_.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), kParseFlags, pugi::encoding_auto);
  }
  return static_cast<bool>(result);
}

// Every record is checked before any operation reads or changes the file, so
// a damaged database is reported the same way by every operation and is
// never rewritten half-understood.
bool FeedsDocument::checkRecords() {
  int categoryCount = 0;
  for (pugi::xml_node category : categories_.children()) {
    if (!isCategory(category)) continue;
    if (++categoryCount > kMaxChildren) {
      reportRuntimeError(kStepRecords,
                         QStringLiteral("Overflow: the database holds more than %1 categories.").arg(kMaxChildren));
      return false;
    }
    if (!category.first_attribute()) {
      reportRuntimeError(kStepRecords, QStringLiteral("Category record %1 has no name.").arg(categoryCount));
      return false;
    }
    int feedCount = 0;
    for (pugi::xml_node feed : category.children()) {
      if (!isFeed(feed)) continue;
      if (++feedCount > kMaxChildren) {
        reportRuntimeError(kStepRecords, QStringLiteral("Overflow: category \"%1\" holds more than %2 feeds.")
                                             .arg(categoryName(category))
                                             .arg(kMaxChildren));
        return false;
      }
      const pugi::xml_attribute type = feed.first_attribute().next_attribute();
      if (!type || !type.next_attribute()) {
        reportRuntimeError(kStepRecords, QStringLiteral("Feed record %1 of category \"%2\" lacks its name, type or id.")
                                             .arg(feedCount)
                                             .arg(categoryName(category)));
        return false;
      }
      if (!feedTypeCode(feed)) {
        reportRuntimeError(kStepRecords, QStringLiteral("Type mismatch: feed \"%1\" has the type \"%2\".")
                                             .arg(feedName(feed), fromUtf8(type.value())));
        return false;
      }
    }
  }
  return true;
}

bool FeedsDocument::isCategory(pugi::xml_node node) { return node.type() == pugi::node_element; }

bool FeedsDocument::isFeed(pugi::xml_node node) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), "feed") == 0;
}

QString FeedsDocument::categoryName(pugi::xml_node category) { return fromUtf8(category.first_attribute().value()); }

QString FeedsDocument::feedName(pugi::xml_node feed) { return fromUtf8(feed.first_attribute().value()); }

QString FeedsDocument::feedId(pugi::xml_node feed) {
  return fromUtf8(feed.first_attribute().next_attribute().next_attribute().value());
}

QString FeedsDocument::feedUrl(pugi::xml_node feed) { return fromUtf8(feed.text().get()).trimmed(); }

std::optional<qint16> FeedsDocument::feedTypeCode(pugi::xml_node feed) {
  bool ok = false;
  const qint16 code = fromUtf8(feed.first_attribute().next_attribute().value()).trimmed().toShort(&ok);
  if (!ok) return std::nullopt;
  return code;
}

FeedRecord FeedsDocument::feedRecord(pugi::xml_node category, pugi::xml_node feed) {
  FeedRecord record;
  record.category = categoryName(category);
  record.url = feedUrl(feed);
  record.type = feedTypeFromCode(feedTypeCode(feed).value_or(0));
  record.id = feedId(feed);
  record.name = feedName(feed);
  return record;
}

pugi::xml_node FeedsDocument::findCategory(const QString& name) const {
  const QString wanted = name.toLower();
  for (pugi::xml_node category : categories_.children()) {
    if (isCategory(category) && categoryName(category).toLower() == wanted) return category;
  }
  return {};
}

pugi::xml_node FeedsDocument::findFeed(pugi::xml_node category, const QString& id) const {
  const QByteArray wanted = id.toUtf8();
  for (pugi::xml_node feed : category.children()) {
    if (!isFeed(feed)) continue;
    const char* value = feed.first_attribute().next_attribute().next_attribute().value();
    if (std::strlen(value) == static_cast<size_t>(wanted.size()) && std::strcmp(value, wanted.constData()) == 0) {
      return feed;
    }
  }
  return {};
}

bool FeedsDocument::checkStorable(const QString& what, const QString& text) {
  for (char32_t c : text.toUcs4()) {
    if (!isStorableChar(c)) {
      reportRuntimeError(kStepWork, QStringLiteral("The %1 holds a character that cannot be stored (U+%2).")
                                        .arg(what)
                                        .arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')));
      return false;
    }
  }
  return true;
}

bool FeedsDocument::hasRoomFor(pugi::xml_node parent) {
  const bool feeds = parent != categories_;
  int count = 0;
  for (pugi::xml_node child : parent.children()) {
    if (feeds ? isFeed(child) : isCategory(child)) ++count;
  }
  if (count < kMaxChildren) return true;
  reportRuntimeError(kStepWork,
                     QStringLiteral("Overflow: no more than %1 %2 can be stored.")
                         .arg(kMaxChildren)
                         .arg(feeds ? QStringLiteral("feeds in one category") : QStringLiteral("categories")));
  return false;
}

pugi::xml_node FeedsDocument::appendCategory(const QString& name) {
  if (!checkStorable(QStringLiteral("category name"), name) || !hasRoomFor(categories_)) return {};
  pugi::xml_node category = categories_.append_child("category");
  category.append_attribute("name").set_value(name.toUtf8().constData());
  return category;
}

pugi::xml_node FeedsDocument::appendFeed(pugi::xml_node category, const FeedRecord& record) {
  if (!checkStorable(QStringLiteral("feed name"), record.name) ||
      !checkStorable(QStringLiteral("feed id"), record.id) || !checkStorable(QStringLiteral("feed URL"), record.url) ||
      !hasRoomFor(category)) {
    return {};
  }
  pugi::xml_node feed = category.append_child("feed");
  feed.append_attribute("name").set_value(record.name.toUtf8().constData());
  feed.append_attribute("type").set_value(QByteArray::number(tidewell::feedTypeCode(record.type)).constData());
  feed.append_attribute("id").set_value(record.id.toUtf8().constData());
  feed.text().set(record.url.toUtf8().constData());
  return feed;
}

bool FeedsDocument::updateFeed(pugi::xml_node feed, const FeedRecord& record) {
  if (!checkStorable(QStringLiteral("feed name"), record.name) ||
      !checkStorable(QStringLiteral("feed URL"), record.url)) {
    return false;
  }
  pugi::xml_attribute name = feed.first_attribute();
  name.set_value(record.name.toUtf8().constData());
  name.next_attribute().set_value(QByteArray::number(tidewell::feedTypeCode(record.type)).constData());
  feed.text().set(record.url.toUtf8().constData());
  return true;
}

bool FeedsDocument::renameCategory(pugi::xml_node category, const QString& name) {
  if (!checkStorable(QStringLiteral("category name"), name)) return false;
  category.first_attribute().set_value(name.toUtf8().constData());
  return true;
}

bool FeedsDocument::save() {
  ByteArrayWriter writer;
  document_.save(writer, "", kSaveFlags, pugi::encoding_utf8);
  const auto fail = [this](const QString& reason) {
    reportRuntimeError(kStepSave, QStringLiteral("Cannot save \"%1\": %2").arg(path_, reason));
    return false;
  };
  // Unbuffered, so a short write (full disk) shows in write()'s count: a
  // failed flush inside commit() would not stop the rename of a truncated file.
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
  if (file.write(writer.bytes) != writer.bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return fail(reason);
  }
  if (!file.commit()) return fail(file.errorString());
  return true;
}

}  // namespace tidewell
