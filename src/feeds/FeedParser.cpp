#include "feeds/FeedParser.h"

#include "core/UserMessages.h"
#include "core/clsMD5.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedXml.h"
#include "feeds/LogSink.h"

#include <cstring>

namespace tidewell {

namespace {

bool named(const pugi::xml_node& node, const char* name) { return std::strcmp(node.name(), name) == 0; }

bool isBlank(const QByteArray& data) {
  for (char c : data) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0') return false;
  }
  return true;
}

// Blank data, then well-formedness, then the root element; items empty on failure.
ParseFailure loadRoot(pugi::xml_document& document, QByteArray& buffer, const QByteArray& data, const QString& charset,
                      FeedFormat format, pugi::xml_node& root) {
  if (isBlank(data)) return ParseFailure::EmptyData;
  if (!FeedXml::load(document, buffer, data, charset)) {
    // A body that decodes to nothing but blanks (a UTF-16 byte-order mark alone) is empty, not malformed.
    return isBlank(buffer) ? ParseFailure::EmptyData : ParseFailure::InvalidXml;
  }
  root =
      format == FeedFormat::Rss ? FeedXml::findFirst(document, "channel", "rss") : FeedXml::findFirst(document, "feed");
  return root ? ParseFailure::None : ParseFailure::InvalidFeed;
}

void finishItem(FeedItem& item, const clsMD5& md5, bool hasLink) {
  item.id = hasLink ? md5.GetMD5(item.link) : QString();
}

}  // namespace

ParseResult ParseRssItems(const QByteArray& data, const QString& charset) {
  ParseResult result;
  pugi::xml_document document;
  QByteArray buffer;
  pugi::xml_node channel;
  result.failure = loadRoot(document, buffer, data, charset, FeedFormat::Rss, channel);
  if (!result.ok()) return result;
  const clsMD5 md5;
  for (pugi::xml_node node = channel.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element || !named(node, "item")) continue;
    FeedItem item;
    bool hasLink = false;
    for (pugi::xml_node field = node.first_child(); field; field = field.next_sibling()) {
      if (field.type() != pugi::node_element) continue;
      const char* name = field.name();
      if (std::strcmp(name, "title") == 0) {
        item.title = FeedXml::text(field);
      } else if (std::strcmp(name, "description") == 0) {
        item.description = FeedXml::text(field);
      } else if (std::strcmp(name, "link") == 0) {
        item.link = FeedXml::text(field);
        hasLink = true;
      } else if (std::strcmp(name, "pubDate") == 0) {
        ApplyDate(SplitRssDate(FeedXml::text(field)), item);
      } else if (std::strcmp(name, "enclosure") == 0) {
        if (pugi::xml_attribute url = field.attribute("url")) item.media = FeedXml::value(url.value()).trimmed();
      }
    }
    finishItem(item, md5, hasLink && !item.link.isEmpty());
    result.items.push_back(std::move(item));
  }
  return result;
}

ParseResult ParseAtomItems(const QByteArray& data, const QString& charset) {
  ParseResult result;
  pugi::xml_document document;
  QByteArray buffer;
  pugi::xml_node feed;
  result.failure = loadRoot(document, buffer, data, charset, FeedFormat::Atom, feed);
  if (!result.ok()) return result;
  const clsMD5 md5;
  for (pugi::xml_node node = feed.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element || !named(node, "entry")) continue;
    FeedItem item;
    bool hasLink = false;
    bool hasPublished = false;
    for (pugi::xml_node field = node.first_child(); field; field = field.next_sibling()) {
      if (field.type() != pugi::node_element) continue;
      const char* name = field.name();
      if (std::strcmp(name, "title") == 0) {
        item.title = FeedXml::text(field);
      } else if (std::strcmp(name, "content") == 0) {
        item.description = FeedXml::text(field);
      } else if (std::strcmp(name, "link") == 0) {
        // Every link counts: the last one with an address decides link and id.
        if (pugi::xml_attribute href = field.attribute("href")) {
          item.link = FeedXml::value(href.value()).trimmed();
          hasLink = true;
        }
      } else if (std::strcmp(name, "published") == 0) {
        ApplyDate(SplitAtomDate(FeedXml::text(field)), item);
        hasPublished = true;
      } else if (std::strcmp(name, "updated") == 0 && !hasPublished) {
        // ATOM requires only updated; without it an entry would never be dated.
        ApplyDate(SplitAtomDate(FeedXml::text(field)), item);
      }
    }
    finishItem(item, md5, hasLink && !item.link.isEmpty());
    result.items.push_back(std::move(item));
  }
  return result;
}

ParseResult ParseFeedItems(int feedType, const QByteArray& data, const QString& charset) {
  if (feedType == 0 || feedType == 2) return ParseRssItems(data, charset);
  if (feedType == 1) return ParseAtomItems(data, charset);
  return {};
}

QString ParseFailureText(FeedFormat format, ParseFailure failure) {
  switch (failure) {
    case ParseFailure::None: return {};
    case ParseFailure::EmptyData: return QStringLiteral("Error: Server returned empty data stream!");
    case ParseFailure::InvalidXml: return QStringLiteral("Error: Server returned Feed data in invalid XML format!");
    case ParseFailure::InvalidFeed:
      return format == FeedFormat::Rss
                 ? QStringLiteral(
                       "Error: Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML "
                       "is not well-formed.")
                 : QStringLiteral(
                       "Error: Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML "
                       "is not well-formed.");
  }
  return {};
}

QString ParseFailureLogLine(FeedFormat format, ParseFailure failure) {
  if (failure == ParseFailure::None) return {};
  // The RSS parser's invalid-XML line has never had the blank after the arrow.
  const bool tight = format == FeedFormat::Rss && failure == ParseFailure::InvalidXml;
  return (tight ? QStringLiteral("-->") : QStringLiteral("--> ")) + ParseFailureText(format, failure);
}

void ReportParseFailure(FeedFormat format, ParseFailure failure, UserMessages& messages) {
  switch (failure) {
    case ParseFailure::None: return;
    case ParseFailure::EmptyData:
      messages.showMessage(QStringLiteral("Server returned empty data stream!"),
                           QStringLiteral("Invalid Server Response!"), MessageIcon::Exclamation);
      return;
    case ParseFailure::InvalidXml:
      messages.showMessage(QStringLiteral("Server returned Feed data in invalid XML format!"),
                           QStringLiteral("Invalid Data Format!"), MessageIcon::Exclamation);
      return;
    case ParseFailure::InvalidFeed:
      messages.showMessage(ParseFailureText(format, failure).mid(7), QStringLiteral("Invalid Feed XML!"),
                           MessageIcon::Exclamation);
      return;
  }
}

ParseResult ParseRssItems(const QByteArray& data, const QString& charset, UserMessages& messages) {
  ParseResult result = ParseRssItems(data, charset);
  ReportParseFailure(FeedFormat::Rss, result.failure, messages);
  return result;
}

ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, UserMessages& messages) {
  ParseResult result = ParseAtomItems(data, charset);
  ReportParseFailure(FeedFormat::Atom, result.failure, messages);
  return result;
}

ParseResult ParseRssItems(const QByteArray& data, const QString& charset, LogSink& log) {
  ParseResult result = ParseRssItems(data, charset);
  if (!result.ok()) log.writeLine(ParseFailureLogLine(FeedFormat::Rss, result.failure));
  return result;
}

ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, LogSink& log) {
  ParseResult result = ParseAtomItems(data, charset);
  if (!result.ok()) log.writeLine(ParseFailureLogLine(FeedFormat::Atom, result.failure));
  return result;
}

}  // namespace tidewell
