#pragma once

#include "feeds/FeedItem.h"

#include <QByteArray>
#include <QString>

namespace tidewell {

class LogSink;
class UserMessages;

enum class FeedFormat { Rss, Atom };

enum class ParseFailure {
  None,
  EmptyData,    // blank body
  InvalidXml,   // not well-formed
  InvalidFeed,  // no rss/channel (RSS) or feed (ATOM) element
};

struct ParseResult {
  FeedItems items;  // document order; empty after a failure
  ParseFailure failure = ParseFailure::None;

  bool ok() const { return failure == ParseFailure::None; }
  // The item count, or -1 after a failure.
  int count() const { return ok() ? static_cast<int>(items.size()) : -1; }
};

// The parsers are pure: the body's bytes and the HTTP charset (may be empty)
// in, items or a failure out. Field rules: RSS title, link (id = MD5 of it),
// pubDate, description, enclosure@url; ATOM title, link@href (the last link
// wins), published (else updated), content. Child names compare exactly.
ParseResult ParseRssItems(const QByteArray& data, const QString& charset = {});
ParseResult ParseAtomItems(const QByteArray& data, const QString& charset = {});
// By stored feed type: 0 and 2 RSS, 1 ATOM, anything else no items.
ParseResult ParseFeedItems(int feedType, const QByteArray& data, const QString& charset = {});

// The viewer flavour: a failure is shown as a message box.
ParseResult ParseRssItems(const QByteArray& data, const QString& charset, UserMessages& messages);
ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, UserMessages& messages);
// The scheduler flavour: a failure is written as a log line.
ParseResult ParseRssItems(const QByteArray& data, const QString& charset, LogSink& log);
ParseResult ParseAtomItems(const QByteArray& data, const QString& charset, LogSink& log);

// The log line of a failure ("--> Error: ...", the RSS invalid-XML line
// without the blank after the arrow); "" for ParseFailure::None.
QString ParseFailureLogLine(FeedFormat format, ParseFailure failure);
// The same without the arrow ("Error: ..."), as the command-line tool prints it.
QString ParseFailureText(FeedFormat format, ParseFailure failure);
void ReportParseFailure(FeedFormat format, ParseFailure failure, UserMessages& messages);

}  // namespace tidewell
