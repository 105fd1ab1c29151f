#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <initializer_list>

namespace tidewell {

// The pugixml conventions every feed and store document shares: documents are
// loaded from UTF-8 produced by FeedDecoder (never left to pugixml's own
// guess), text is gathered over all descendants, and searches walk the tree
// without recursion so deep nesting cannot exhaust the stack.
class FeedXml {
 public:
  // How a load went; when it failed, pugixml's reason and where in the
  // decoded text it stopped, so that a user (or a bug report) can find the
  // fault in the document.
  struct Load {
    bool ok = false;
    QString error;          // "Start-end tags mismatch", "No document element found", ...
    qsizetype offset = -1;  // where parsing stopped: a byte offset in the document as UTF-8

    explicit operator bool() const { return ok; }
    // "Start-end tags mismatch at byte 1234"; "" after success.
    QString where() const;
  };

  // Decodes bytes (with the HTTP charset as a hint) and parses them in place
  // of buffer, which must outlive the document. Fails when not well-formed.
  // Pass the bytes by move when the caller does not need them: valid UTF-8
  // is then parsed without a copy.
  static Load load(pugi::xml_document& document, QByteArray& buffer, QByteArray bytes, const QString& charset = {});

  // All text and CDATA inside node, joined in document order, outer blanks trimmed.
  static QString text(const pugi::xml_node& node);
  static QString value(const char* utf8);

  // The first element, in document order, named name whose parent is named
  // parentName (any parent when parentName is null).
  static pugi::xml_node findFirst(const pugi::xml_node& from, const char* name, const char* parentName = nullptr);
  // The first element, in document order, at the end of the chain of element
  // names path ({"rss", "channel", "title"} is ".//rss/channel/title").
  static pugi::xml_node findPath(const pugi::xml_node& from, std::initializer_list<const char*> path);
  // The first child element named name.
  static pugi::xml_node child(const pugi::xml_node& node, const char* name);
};

}  // namespace tidewell
