#include "feeds/FeedXml.h"

#include "feeds/FeedDecoder.h"

#include <cstring>

namespace tidewell {

namespace {

// The node after current in document order within root, or an empty node when
// the walk leaves root. A loop, not recursion: hostile documents nest deeply.
pugi::xml_node nextInDocumentOrder(pugi::xml_node current, const pugi::xml_node& root) {
  if (current.first_child()) return current.first_child();
  while (current && current != root && !current.next_sibling()) current = current.parent();
  if (!current || current == root) return {};
  return current.next_sibling();
}

}  // namespace

FeedXml::Load FeedXml::load(pugi::xml_document& document, QByteArray& buffer, QByteArray bytes,
                            const QString& charset) {
  buffer = FeedDecoder::toUtf8(bytes, charset);
  bytes = QByteArray();  // buffer may share the bytes; now it owns them alone
  Load load;
  if (buffer.isEmpty()) {
    load.error = QStringLiteral("No data");
    return load;
  }
  // In place: the document points into buffer, which the caller keeps alive.
  const pugi::xml_parse_result result = document.load_buffer_inplace(buffer.data(), static_cast<size_t>(buffer.size()),
                                                                     pugi::parse_default, pugi::encoding_utf8);
  if (result && document.document_element()) {
    load.ok = true;
    return load;
  }
  // Parsing in place rewrites the text behind it (entities, line ends), so
  // a line and column could not be counted afterwards; the offset is exact.
  load.error = result ? QStringLiteral("No document element found") : QString::fromUtf8(result.description());
  load.offset = result ? buffer.size() : static_cast<qsizetype>(result.offset);
  return load;
}

QString FeedXml::Load::where() const {
  if (ok) return {};
  if (offset < 0) return error;
  return QStringLiteral("%1 at byte %2").arg(error).arg(offset);
}

QString FeedXml::value(const char* utf8) { return QString::fromUtf8(utf8, static_cast<qsizetype>(std::strlen(utf8))); }

QString FeedXml::text(const pugi::xml_node& node) {
  if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) return value(node.value()).trimmed();
  // The common case, one text child, without building a joined copy.
  pugi::xml_node first = node.first_child();
  if (first && !first.next_sibling() && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata)) {
    return value(first.value()).trimmed();
  }
  QByteArray joined;
  pugi::xml_node current = first;
  while (current) {
    if (current.type() == pugi::node_pcdata || current.type() == pugi::node_cdata) joined.append(current.value());
    current = nextInDocumentOrder(current, node);
  }
  return QString::fromUtf8(joined).trimmed();
}

pugi::xml_node FeedXml::findFirst(const pugi::xml_node& from, const char* name, const char* parentName) {
  pugi::xml_node current = from.first_child();
  while (current) {
    if (current.type() == pugi::node_element && std::strcmp(current.name(), name) == 0 &&
        (parentName == nullptr || std::strcmp(current.parent().name(), parentName) == 0)) {
      return current;
    }
    current = nextInDocumentOrder(current, from);
  }
  return {};
}

pugi::xml_node FeedXml::findPath(const pugi::xml_node& from, std::initializer_list<const char*> path) {
  const char* const* names = path.begin();
  const int depth = static_cast<int>(path.size());
  auto matches = [&](pugi::xml_node node) {
    for (int i = depth - 1; i >= 0; --i) {
      if (!node || node == from || node.type() != pugi::node_element || std::strcmp(node.name(), names[i]) != 0) {
        return false;
      }
      node = node.parent();
    }
    return true;
  };
  pugi::xml_node current = from.first_child();
  while (current) {
    if (current.type() == pugi::node_element && matches(current)) return current;
    current = nextInDocumentOrder(current, from);
  }
  return {};
}

pugi::xml_node FeedXml::child(const pugi::xml_node& node, const char* name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && std::strcmp(c.name(), name) == 0) return c;
  }
  return {};
}

}  // namespace tidewell
