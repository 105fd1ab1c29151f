#pragma once

#include "feeds/FeedItem.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace tidewell {

class LogSink;
class UserMessages;

enum class FeedFormat { Rss, Atom };

enum class ParseFailure {
  None,
  EmptyData,    // blank body
  InvalidXml,   // not well-formed
  InvalidFeed,  // no rss/channel or RDF root (RSS) or feed (ATOM) element
};

struct ParseResult {
  FeedItems items;  // document order; empty after a failure
  ParseFailure failure = ParseFailure::None;
  // For InvalidXml: where the document stopped being XML ("Start-end tags
  // mismatch at byte 1234"), for the user to find it; "" otherwise.
  QString detail;

  bool ok() const { return failure == ParseFailure::None; }
  // The item count, or -1 after a failure.
  int count() const { return ok() ? static_cast<int>(items.size()) : -1; }
};

// The parsers are pure: the body's bytes, the HTTP charset (may be empty)
// and the address the feed was downloaded from in, items or a failure out.
// Field rules: RSS title, link (id = MD5 of it), pubDate (else dc:date),
// description, enclosure@url/type/length, body = content:encoded else
// description; RSS 1.0 items are the channel's siblings under rdf:RDF. ATOM
// title, link@href (the last link wins), published (else issued, updated,
// modified), content, body = content else summary (XHTML keeps its markup).
// Child names compare exactly. Links and the body's src/href are resolved
// against xml:base, else base, else the feed's own link, before the id is
// taken.
ParseResult ParseRssItems(const QByteArray& data, const QString& charset = {}, const QUrl& base = {});
ParseResult ParseAtomItems(const QByteArray& data, const QString& charset = {}, const QUrl& base = {});
// By stored feed type: 0 and 2 RSS, 1 ATOM, anything else no items.
ParseResult ParseFeedItems(int feedType, const QByteArray& data, const QString& charset = {}, const QUrl& base = {});

// The viewer flavour: a failure is shown as a message box.
ParseResult ParseRssItems(const QByteArray& data, const QString& charset, UserMessages& messages,
                          const QUrl& base = {});
ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, UserMessages& messages,
                           const QUrl& base = {});
// The scheduler flavour: a failure is written as a log line.
ParseResult ParseRssItems(const QByteArray& data, const QString& charset, LogSink& log, const QUrl& base = {});
ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, LogSink& log, const QUrl& base = {});

// The log line of a failure ("--> Error: ...", the RSS invalid-XML line
// without the blank after the arrow); "" for ParseFailure::None.
QString ParseFailureLogLine(FeedFormat format, ParseFailure failure);
// The same without the arrow ("Error: ..."), as the command-line tool prints it.
QString ParseFailureText(FeedFormat format, ParseFailure failure);
void ReportParseFailure(FeedFormat format, ParseFailure failure, UserMessages& messages);

}  // namespace tidewell
