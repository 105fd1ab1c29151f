#include "feeds/FeedParser.h"

#include "core/UserMessages.h"
#include "core/clsMD5.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedLinks.h"
#include "feeds/FeedXml.h"
#include "feeds/LogSink.h"

#include <cstring>
#include <sstream>
#include <string>

namespace tidewell {

namespace {

bool named(const pugi::xml_node& node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// The root of an RSS 1.0 document: rdf:RDF (any prefix), or an element named rdf.
pugi::xml_node rdfRoot(const pugi::xml_document& document) {
  const pugi::xml_node root = document.document_element();
  const char* name = root.name();
  const char* colon = std::strrchr(name, ':');
  if (std::strcmp(colon ? colon + 1 : name, "RDF") == 0) return root;
  return FeedXml::findFirst(document, "rdf");
}

bool isBlank(const QByteArray& data) {
  for (char c : data) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0') return false;
  }
  return true;
}

// Blank data, then well-formedness, then the root element; items empty on failure.
ParseFailure loadRoot(pugi::xml_document& document, QByteArray& buffer, const QByteArray& data, const QString& charset,
                      FeedFormat format, pugi::xml_node& root, QString& detail) {
  if (isBlank(data)) return ParseFailure::EmptyData;
  if (const FeedXml::Load load = FeedXml::load(document, buffer, data, charset); !load) {
    // A body that decodes to nothing but blanks (a UTF-16 byte-order mark alone) is empty, not malformed.
    if (isBlank(buffer)) return ParseFailure::EmptyData;
    detail = load.where();
    return ParseFailure::InvalidXml;
  }
  if (format == FeedFormat::Atom) {
    root = FeedXml::findFirst(document, "feed");
  } else {
    root = FeedXml::findFirst(document, "channel", "rss");
    // RSS 1.0: the items are the channel's siblings under the RDF root, so
    // the root itself is walked. The feed dialog accepts these documents.
    if (!root) root = rdfRoot(document);
  }
  return root ? ParseFailure::None : ParseFailure::InvalidFeed;
}

void finishItem(FeedItem& item, const clsMD5& md5, bool hasLink) {
  item.id = hasLink ? md5.GetMD5(item.link) : QString();
}

// The markup inside node, as written (XHTML content keeps its paragraphs and
// code blocks); for ATOM's type="xhtml" the wrapping div is left out.
QString innerXml(const pugi::xml_node& node) {
  pugi::xml_node from = node;
  pugi::xml_node onlyElement;
  int elements = 0;
  bool otherText = false;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element) {
      onlyElement = c;
      ++elements;
    } else if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
      if (!FeedXml::value(c.value()).trimmed().isEmpty()) otherText = true;
    }
  }
  if (elements == 1 && !otherText) {
    const char* name = onlyElement.name();
    const char* colon = std::strrchr(name, ':');
    if (std::strcmp(colon ? colon + 1 : name, "div") == 0) from = onlyElement;
  }
  std::ostringstream out;
  for (pugi::xml_node c = from.first_child(); c; c = c.next_sibling()) {
    c.print(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  }
  const std::string text = out.str();
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

// An ATOM text construct (content, summary) as HTML: "xhtml" (ATOM 0.3: an
// XML mode or an XHTML type) keeps its markup, "html" is the escaped HTML
// text, plain text is escaped so it shows as written.
QString atomHtml(const pugi::xml_node& node) {
  const QString type = FeedXml::value(node.attribute("type").value()).trimmed().toLower();
  const QString mode = FeedXml::value(node.attribute("mode").value()).trimmed().toLower();
  const bool hasElement = node.find_child([](const pugi::xml_node& c) { return c.type() == pugi::node_element; });
  if (type == QLatin1String("xhtml") || type == QLatin1String("application/xhtml+xml") ||
      (mode == QLatin1String("xml") && hasElement)) {
    return innerXml(node);
  }
  QString text = FeedXml::text(node);
  if (type == QLatin1String("html") || type == QLatin1String("text/html") || mode == QLatin1String("escaped")) {
    return text;
  }
  if (type.isEmpty() || type == QLatin1String("text") || type == QLatin1String("text/plain")) {
    return text.toHtmlEscaped();
  }
  return text;
}

// Which date an entry keeps when it has several, whatever the order of the
// children: published, then ATOM 0.3's issued, then updated, then modified.
enum DateRank { NoDate = 0, Modified, Updated, Issued, Published };

// The document's own address, for feeds read without a download address: the
// RSS channel's link, the ATOM feed's alternate link.
QUrl documentLink(const pugi::xml_node& root, FeedFormat format, const QUrl& documentBase) {
  if (format == FeedFormat::Rss) {
    pugi::xml_node channel = FeedXml::child(root, "channel");
    if (!channel && std::strcmp(root.name(), "channel") == 0) channel = root;
    const pugi::xml_node link = FeedXml::child(channel, "link");
    return link ? QUrl(FeedXml::text(link)) : QUrl();
  }
  for (pugi::xml_node link = root.first_child(); link; link = link.next_sibling()) {
    if (link.type() != pugi::node_element || !named(link, "link")) continue;
    const QString rel = FeedXml::value(link.attribute("rel").value()).trimmed();
    if (!rel.isEmpty() && rel != QLatin1String("alternate")) continue;
    return FeedLinks::baseAt(link, documentBase).resolved(QUrl(FeedXml::value(link.attribute("href").value())));
  }
  return {};
}

QUrl effectiveBase(const pugi::xml_node& root, FeedFormat format, const QUrl& base) {
  if (!base.isEmpty() && !base.isRelative()) return base;
  const QUrl own = documentLink(root, format, base);
  return own.isRelative() ? base : own;
}

}  // namespace

ParseResult ParseRssItems(const QByteArray& data, const QString& charset, const QUrl& base) {
  ParseResult result;
  pugi::xml_document document;
  QByteArray buffer;
  pugi::xml_node channel;
  result.failure = loadRoot(document, buffer, data, charset, FeedFormat::Rss, channel, result.detail);
  if (!result.ok()) return result;
  const QUrl documentBase = effectiveBase(channel, FeedFormat::Rss, base);
  const clsMD5 md5;
  for (pugi::xml_node node = channel.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element || !named(node, "item")) continue;
    FeedItem item;
    bool hasLink = false;
    bool hasPubDate = false;
    pugi::xml_node linkNode;
    pugi::xml_node bodyNode;
    pugi::xml_node encodedNode;
    for (pugi::xml_node field = node.first_child(); field; field = field.next_sibling()) {
      if (field.type() != pugi::node_element) continue;
      const char* name = field.name();
      if (std::strcmp(name, "title") == 0) {
        item.title = FeedXml::text(field);
      } else if (std::strcmp(name, "description") == 0) {
        item.description = FeedXml::text(field);
        bodyNode = field;
      } else if (std::strcmp(name, "content:encoded") == 0) {
        encodedNode = field;
      } else if (std::strcmp(name, "link") == 0) {
        item.link = FeedXml::text(field);
        linkNode = field;
        hasLink = true;
      } else if (std::strcmp(name, "pubDate") == 0) {
        ApplyDate(SplitRssDate(FeedXml::text(field)), item);
        hasPubDate = true;
      } else if (std::strcmp(name, "dc:date") == 0 && !hasPubDate) {
        // The only date of RSS 1.0 and of many RSS 2.0 feeds; pubDate wins.
        ApplyDate(SplitAtomDate(FeedXml::text(field)), item);
      } else if (std::strcmp(name, "enclosure") == 0) {
        if (pugi::xml_attribute url = field.attribute("url")) {
          item.media =
              FeedLinks::resolve(FeedXml::value(url.value()).trimmed(), FeedLinks::baseAt(field, documentBase));
        }
        item.mediaType = FeedXml::value(field.attribute("type").value()).trimmed();
        item.mediaLength = FeedXml::value(field.attribute("length").value()).trimmed();
      }
    }
    // Resolved before the id is taken, so the id does not depend on how the feed spells the address.
    if (linkNode) item.link = FeedLinks::resolve(item.link, FeedLinks::baseAt(linkNode, documentBase));
    if (encodedNode) bodyNode = encodedNode;
    if (bodyNode) {
      item.content = FeedLinks::resolveInHtml(FeedXml::text(bodyNode), FeedLinks::baseAt(bodyNode, documentBase));
    }
    finishItem(item, md5, hasLink && !item.link.isEmpty());
    result.items.push_back(std::move(item));
  }
  return result;
}

ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, const QUrl& base) {
  ParseResult result;
  pugi::xml_document document;
  QByteArray buffer;
  pugi::xml_node feed;
  result.failure = loadRoot(document, buffer, data, charset, FeedFormat::Atom, feed, result.detail);
  if (!result.ok()) return result;
  const QUrl documentBase = effectiveBase(feed, FeedFormat::Atom, base);
  const clsMD5 md5;
  for (pugi::xml_node node = feed.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element || !named(node, "entry")) continue;
    FeedItem item;
    bool hasLink = false;
    DateRank dated = NoDate;
    pugi::xml_node linkNode;
    pugi::xml_node contentNode;
    pugi::xml_node summaryNode;
    for (pugi::xml_node field = node.first_child(); field; field = field.next_sibling()) {
      if (field.type() != pugi::node_element) continue;
      const char* name = field.name();
      DateRank rank = NoDate;
      if (std::strcmp(name, "title") == 0) {
        item.title = FeedXml::text(field);
      } else if (std::strcmp(name, "content") == 0) {
        item.description = FeedXml::text(field);
        contentNode = field;
      } else if (std::strcmp(name, "summary") == 0) {
        summaryNode = field;
      } else if (std::strcmp(name, "link") == 0) {
        // Every link counts: the last one with an address decides link and id.
        if (pugi::xml_attribute href = field.attribute("href")) {
          item.link = FeedXml::value(href.value()).trimmed();
          linkNode = field;
          hasLink = true;
        }
      } else if (std::strcmp(name, "published") == 0) {
        rank = Published;
      } else if (std::strcmp(name, "issued") == 0) {
        rank = Issued;  // ATOM 0.3's published
      } else if (std::strcmp(name, "updated") == 0) {
        // ATOM requires only updated; without it an entry would never be dated.
        rank = Updated;
      } else if (std::strcmp(name, "modified") == 0) {
        rank = Modified;  // ATOM 0.3's updated
      }
      // A later date of the same kind overwrites an earlier one; a lesser kind never overwrites a better one.
      if (rank != NoDate && rank >= dated) {
        ApplyDate(SplitAtomDate(FeedXml::text(field)), item);
        dated = rank;
      }
    }
    if (linkNode) item.link = FeedLinks::resolve(item.link, FeedLinks::baseAt(linkNode, documentBase));
    const pugi::xml_node bodyNode = contentNode ? contentNode : summaryNode;
    if (bodyNode) {
      item.content = FeedLinks::resolveInHtml(atomHtml(bodyNode), FeedLinks::baseAt(bodyNode, documentBase));
    }
    finishItem(item, md5, hasLink && !item.link.isEmpty());
    result.items.push_back(std::move(item));
  }
  return result;
}

ParseResult ParseFeedItems(int feedType, const QByteArray& data, const QString& charset, const QUrl& base) {
  if (feedType == 0 || feedType == 2) return ParseRssItems(data, charset, base);
  if (feedType == 1) return ParseAtomItems(data, charset, base);
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

ParseResult ParseRssItems(const QByteArray& data, const QString& charset, UserMessages& messages, const QUrl& base) {
  ParseResult result = ParseRssItems(data, charset, base);
  ReportParseFailure(FeedFormat::Rss, result.failure, messages);
  return result;
}

ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, UserMessages& messages, const QUrl& base) {
  ParseResult result = ParseAtomItems(data, charset, base);
  ReportParseFailure(FeedFormat::Atom, result.failure, messages);
  return result;
}

ParseResult ParseRssItems(const QByteArray& data, const QString& charset, LogSink& log, const QUrl& base) {
  ParseResult result = ParseRssItems(data, charset, base);
  if (!result.ok()) log.writeLine(ParseFailureLogLine(FeedFormat::Rss, result.failure));
  return result;
}

ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, LogSink& log, const QUrl& base) {
  ParseResult result = ParseAtomItems(data, charset, base);
  if (!result.ok()) log.writeLine(ParseFailureLogLine(FeedFormat::Atom, result.failure));
  return result;
}

}  // namespace tidewell
