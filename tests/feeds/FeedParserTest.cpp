#include "core/clsMD5.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedDecoder.h"
#include "feeds/FeedParser.h"
#include "feeds/LogSink.h"
#include "support/ScriptedMessages.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

QByteArray rss(const QByteArray& items, const QByteArray& declaration = "<?xml version=\"1.0\"?>") {
  return declaration + "<rss version=\"2.0\"><channel><title>Chan</title>" + items + "</channel></rss>";
}

QByteArray atom(const QByteArray& entries) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title>" +
         entries + "</feed>";
}

QString md5(const char* text) { return clsMD5().GetMD5(QString::fromUtf8(text)); }

class RecordingLog : public LogSink {
 public:
  void writeLine(const QString& text) override { lines.append(text); }
  QStringList lines;
};

TEST(RssParser, FieldRules) {
  const ParseResult result = ParseRssItems(
      rss("<item><title>One</title><link>http://x/1</link><link>http://x/2</link>"
          "<pubDate>Sat, 07 Sep 2002 00:00:01 GMT</pubDate><description>Body</description>"
          "<enclosure url=\"http://x/a.mp3\" length=\"1\" type=\"audio/mpeg\"/><guid>ignored</guid></item>"
          "<item><Title>capital T is another name</Title><description>no link</description></item>"
          "<item><title>  spaced \n</title><title>later title wins</title><link>\n  http://x/3  \n</link></item>"));
  ASSERT_TRUE(result.ok());
  ASSERT_EQ(result.count(), 3);
  const FeedItem& first = result.items[0];
  EXPECT_EQ(first.title, QStringLiteral("One"));
  EXPECT_EQ(first.link, QStringLiteral("http://x/2"));  // the second link wins, with its id
  EXPECT_EQ(first.id, md5("http://x/2"));
  EXPECT_EQ(first.id.size(), 32);
  EXPECT_EQ(first.day, QStringLiteral("07"));
  EXPECT_EQ(first.month, QStringLiteral("Sep"));
  EXPECT_EQ(first.year, QStringLiteral("2002"));
  EXPECT_EQ(first.time, QStringLiteral("00:00:01"));
  EXPECT_EQ(first.description, QStringLiteral("Body"));
  EXPECT_EQ(first.media, QStringLiteral("http://x/a.mp3"));
  const FeedItem& second = result.items[1];
  EXPECT_EQ(second.title, QString());  // names compare case-sensitively
  EXPECT_EQ(second.link, QString());
  EXPECT_EQ(second.id, QString());  // no link, no id
  EXPECT_FALSE(second.hasDate());
  EXPECT_EQ(result.items[2].title, QStringLiteral("later title wins"));
  EXPECT_EQ(result.items[2].link, QStringLiteral("http://x/3"));
}

TEST(RssParser, ElementTextJoinsAllTextAndCdataInDocumentOrder) {
  const ParseResult result = ParseRssItems(
      rss("<item><description>a<![CDATA[<p>b</p>]]>c<x>d<y>e</y></x>f &amp; &#233;</description></item>"));
  ASSERT_EQ(result.count(), 1);
  EXPECT_EQ(result.items[0].description, QStringLiteral("a<p>b</p>cdef & \u00e9"));
}

TEST(RssParser, RootRulesAndEmptyChannel) {
  EXPECT_EQ(ParseRssItems(rss("")).count(), 0);
  // The channel may sit deeper; only item children of it count.
  EXPECT_EQ(ParseRssItems("<wrap><rss><channel><x><item/></x><item/></channel></rss></wrap>").count(), 1);
  // RSS 1.0: the items beside the channel under the RDF root (whatever prefix it has) are read.
  EXPECT_EQ(ParseRssItems("<rdf:RDF xmlns:rdf=\"r\"><channel><item/></channel><item/><item/></rdf:RDF>").count(), 2);
  EXPECT_EQ(ParseRssItems("<r:RDF xmlns:r=\"r\"><channel/><item><title>t</title></item></r:RDF>").count(), 1);
  EXPECT_EQ(ParseRssItems("<rdf><channel/><item><title>t</title></item></rdf>").count(), 1);
  EXPECT_EQ(ParseRssItems("<RDFX><channel/><item/></RDFX>").failure, ParseFailure::InvalidFeed);
  EXPECT_EQ(ParseRssItems("<RSS><channel><item/></channel></RSS>").failure, ParseFailure::InvalidFeed);
  EXPECT_EQ(ParseRssItems(atom("<entry/>")).failure, ParseFailure::InvalidFeed);
}

// Where the body comes from, and that the nine fields stay as they were.
TEST(Parsers, BodySources) {
  struct Case {
    const char* name;
    QByteArray document;
    bool atomFeed;
    QString description;
    QString content;
  };
  const Case cases[] = {
      {"content:encoded beats description, whatever the order",
       rss("<item><content:encoded>&lt;p&gt;full&lt;/p&gt;</content:encoded><description>teaser</description></item>"),
       false, "teaser", "<p>full</p>"},
      {"description alone is the body", rss("<item><description>&lt;b&gt;d&lt;/b&gt;</description></item>"), false,
       "<b>d</b>", "<b>d</b>"},
      {"no body at all", rss("<item><title>t</title></item>"), false, "", ""},
      {"content beats summary",
       atom("<entry><summary>s</summary><content type=\"html\">&lt;i&gt;c&lt;/i&gt;</content></entry>"), true,
       "<i>c</i>", "<i>c</i>"},
      {"summary alone is the body", atom("<entry><summary type=\"html\">&lt;p&gt;s&lt;/p&gt;</summary></entry>"), true,
       "", "<p>s</p>"},
      {"plain text is escaped", atom("<entry><content>a &lt; b</content></entry>"), true, "a < b", "a &lt; b"},
      {"xhtml keeps its markup without the div",
       atom("<entry><content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\"><p>one</p>"
            "<pre>a  b</pre></div></content></entry>"),
       true, "onea  b", "<p>one</p><pre>a  b</pre>"},
      {"xhtml without a div keeps all", atom("<entry><summary type=\"xhtml\">x<b>y</b></summary></entry>"), true, "",
       "x<b>y</b>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ParseResult result = c.atomFeed ? ParseAtomItems(c.document) : ParseRssItems(c.document);
    ASSERT_EQ(result.count(), 1);
    EXPECT_EQ(result.items[0].description, c.description);
    EXPECT_EQ(result.items[0].content, c.content);
  }
}

TEST(Parsers, MoreDateSources) {
  struct Case {
    const char* name;
    QByteArray document;
    bool atomFeed;
    const char* datekey;
  };
  const Case cases[] = {
      {"dc:date alone", rss("<item><dc:date>2026-12-06T21:15:30+01:00</dc:date></item>"), false, "20261206211530"},
      {"pubDate wins over an earlier dc:date",
       rss("<item><dc:date>2020-01-01T00:00:00Z</dc:date><pubDate>Mon, 07 Dec 2026 06:00:00 GMT</pubDate></item>"),
       false, "20261207060000"},
      {"pubDate wins over a later dc:date",
       rss("<item><pubDate>Mon, 07 Dec 2026 06:00:00 GMT</pubDate><dc:date>2020-01-01T00:00:00Z</dc:date></item>"),
       false, "20261207060000"},
      {"ATOM 0.3 issued beats modified",
       atom("<entry><modified>2026-11-29T10:00:00Z</modified><issued>2026-11-28T09:00:00Z</issued></entry>"), true,
       "20261128090000"},
      {"modified alone", atom("<entry><modified>2026-11-27T08:07:06Z</modified></entry>"), true, "20261127080706"},
      {"updated beats modified",
       atom("<entry><updated>2026-11-26T00:00:00Z</updated><modified>2026-11-29T00:00:00Z</modified></entry>"), true,
       "20261126000000"},
      {"published beats issued",
       atom("<entry><issued>2026-11-01T00:00:00Z</issued><published>2026-11-02T00:00:00Z</published></entry>"), true,
       "20261102000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ParseResult result = c.atomFeed ? ParseAtomItems(c.document) : ParseRssItems(c.document);
    ASSERT_EQ(result.count(), 1);
    EXPECT_EQ(DateKey(result.items[0]), QString::fromLatin1(c.datekey));
  }
}

TEST(Parsers, RelativeAddressesResolveBeforeTheId) {
  const QUrl downloaded(QStringLiteral("https://feeds.example/a/feed.xml"));
  // The download address beats the channel's link; xml:base beats both and nests.
  ParseResult result = ParseRssItems(
      "<rss><channel><link>https://site.example/</link>"
      "<item><link>p/1</link><description>&lt;img src=\"i.png\"&gt;</description>"
      "<enclosure url=\"e.mp3\" type=\"audio/mpeg\" length=\"99\"/></item>"
      "<item xml:base=\"https://base.example/x/\"><link xml:base=\"y/\">z</link></item></channel></rss>",
      {}, downloaded);
  ASSERT_EQ(result.count(), 2);
  EXPECT_EQ(result.items[0].link, QStringLiteral("https://feeds.example/a/p/1"));
  EXPECT_EQ(result.items[0].id, md5("https://feeds.example/a/p/1"));
  EXPECT_EQ(result.items[0].content, QStringLiteral("<img src=\"https://feeds.example/a/i.png\">"));
  EXPECT_EQ(result.items[0].description, QStringLiteral("<img src=\"i.png\">"));  // the field stays as sent
  EXPECT_EQ(result.items[0].media, QStringLiteral("https://feeds.example/a/e.mp3"));
  EXPECT_EQ(result.items[0].mediaType, QStringLiteral("audio/mpeg"));
  EXPECT_EQ(result.items[0].mediaLength, QStringLiteral("99"));
  EXPECT_EQ(result.items[1].link, QStringLiteral("https://base.example/x/y/z"));
  // Without a download address the channel's link is the base; absolute links keep their ids.
  result = ParseRssItems(
      "<rss><channel><link>https://site.example/d/</link><item><link>p</link></item>"
      "<item><link>http://abs.example/q</link></item></channel></rss>");
  EXPECT_EQ(result.items[0].link, QStringLiteral("https://site.example/d/p"));
  EXPECT_EQ(result.items[1].id, md5("http://abs.example/q"));
  // Nothing to resolve against: left as written.
  result = ParseAtomItems(atom("<entry><link href=\"rel\"/></entry>"));
  EXPECT_EQ(result.items[0].link, QStringLiteral("rel"));
  EXPECT_EQ(result.items[0].id, md5("rel"));
}

TEST(AtomParser, FieldRules) {
  const ParseResult result = ParseAtomItems(atom(
      "<entry><title>A</title><link rel=\"alternate\" href=\"http://a/1\"/><link rel=\"self\" href=\"http://a/2\"/>"
      "<link rel=\"x\"/><published>2008-01-15T10:20:30Z</published><updated>2009-01-01T00:00:00Z</updated>"
      "<summary>not used</summary><content type=\"html\">&lt;b&gt;C&lt;/b&gt;</content></entry>"
      "<entry><title>no published</title><updated>2010-02-03T04:05:06.789+02:00</updated></entry>"
      "<entry><updated>2009-01-01T00:00:00Z</updated><published>2008-01-15T10:20:30Z</published></entry>"
      "<entry><title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">X<b>Y</b></div></title></entry>"));
  ASSERT_EQ(result.count(), 4);
  const FeedItem& first = result.items[0];
  EXPECT_EQ(first.title, QStringLiteral("A"));
  EXPECT_EQ(first.link, QStringLiteral("http://a/2"));  // the last link with an href
  EXPECT_EQ(first.id, md5("http://a/2"));
  EXPECT_EQ(first.day, QStringLiteral("15"));
  EXPECT_EQ(first.month, QStringLiteral("Jan"));
  EXPECT_EQ(first.year, QStringLiteral("2008"));
  EXPECT_EQ(first.time, QStringLiteral("10:20:30"));
  EXPECT_EQ(first.description, QStringLiteral("<b>C</b>"));
  EXPECT_EQ(first.media, QString());
  // Without published, updated dates the entry (ATOM requires only updated).
  EXPECT_EQ(result.items[1].year, QStringLiteral("2010"));
  EXPECT_EQ(result.items[1].time, QStringLiteral("04:05:06"));
  EXPECT_TRUE(result.items[1].id.isEmpty());
  // published wins over updated, in any order.
  EXPECT_EQ(result.items[2].year, QStringLiteral("2008"));
  EXPECT_EQ(result.items[3].title, QStringLiteral("XY"));
}

TEST(Parsers, FailuresInBothFlavours) {
  struct Case {
    QByteArray data;
    FeedFormat format;
    ParseFailure failure;
    const char* title;
    const char* text;
    const char* logLine;
  };
  const Case cases[] = {
      {"", FeedFormat::Rss, ParseFailure::EmptyData, "Invalid Server Response!", "Server returned empty data stream!",
       "--> Error: Server returned empty data stream!"},
      {"  \r\n ", FeedFormat::Atom, ParseFailure::EmptyData, "Invalid Server Response!",
       "Server returned empty data stream!", "--> Error: Server returned empty data stream!"},
      {"<rss><channel>", FeedFormat::Rss, ParseFailure::InvalidXml, "Invalid Data Format!",
       "Server returned Feed data in invalid XML format!",
       "-->Error: Server returned Feed data in invalid XML format!"},
      {"<feed><entry>", FeedFormat::Atom, ParseFailure::InvalidXml, "Invalid Data Format!",
       "Server returned Feed data in invalid XML format!",
       "--> Error: Server returned Feed data in invalid XML format!"},
      {"<doc/>", FeedFormat::Rss, ParseFailure::InvalidFeed, "Invalid Feed XML!",
       "Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not well-formed.",
       "--> Error: Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not well-formed."},
      {"<doc/>", FeedFormat::Atom, ParseFailure::InvalidFeed, "Invalid Feed XML!",
       "Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not well-formed.",
       "--> Error: Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not well-formed."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logLine);
    test::ScriptedMessages messages;
    RecordingLog log;
    const bool rssFormat = c.format == FeedFormat::Rss;
    const ParseResult viewer =
        rssFormat ? ParseRssItems(c.data, QString(), messages) : ParseAtomItems(c.data, QString(), messages);
    const ParseResult scheduled =
        rssFormat ? ParseRssItems(c.data, QString(), log) : ParseAtomItems(c.data, QString(), log);
    EXPECT_EQ(viewer.failure, c.failure);
    EXPECT_EQ(viewer.count(), -1);
    EXPECT_TRUE(viewer.items.empty());
    ASSERT_EQ(messages.entries().size(), 1u);
    EXPECT_EQ(messages.last().title, QString::fromUtf8(c.title));
    EXPECT_EQ(messages.last().text, QString::fromUtf8(c.text));
    EXPECT_EQ(messages.last().icon, MessageIcon::Exclamation);
    EXPECT_EQ(scheduled.failure, c.failure);
    EXPECT_EQ(log.lines, QStringList{QString::fromUtf8(c.logLine)});
  }
}

TEST(Parsers, FeedTypeChoosesTheParser) {
  EXPECT_EQ(ParseFeedItems(0, rss("<item/>")).count(), 1);
  EXPECT_EQ(ParseFeedItems(2, rss("<item/>")).count(), 1);
  EXPECT_EQ(ParseFeedItems(1, atom("<entry/><entry/>")).count(), 2);
  EXPECT_EQ(ParseFeedItems(7, rss("<item/>")).count(), 0);
}

// Decoding: BOM, then the declaration, then the HTTP charset, then UTF-8.
TEST(FeedDecoding, EncodingsAreHonouredAndBadBytesCostOneCharacter) {
  const QString title = QStringLiteral("Caf\u00e9 \u201cquoted\u201d");
  auto encoded = [](const QString& text, const char* encoding) {
    QStringEncoder encoder(encoding);
    return QByteArray(encoder.encode(text));
  };
  struct Case {
    QByteArray bytes;
    QString charset;
    QString expected;
  };
  const QString cyrillic = QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442");
  const QString japanese = QStringLiteral("\u65e5\u672c\u8a9e");
  const std::vector<Case> cases = {
      {rss("<item><title>" + encoded(title, "windows-1252") + "</title></item>",
           "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"),
       {},
       title},
      // Latin-1 declared, typographic quotes sent: read as browsers do.
      {rss("<item><title>" + encoded(title, "windows-1252") + "</title></item>",
           "<?xml version='1.0' encoding='ISO-8859-1'?>"),
       {},
       title},
      {rss("<item><title>" + encoded(cyrillic, "KOI8-R") + "</title></item>",
           "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>"),
       {},
       cyrillic},
      {rss("<item><title>" + encoded(japanese, "Shift_JIS") + "</title></item>",
           "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"),
       {},
       japanese},
      // No declared encoding: the HTTP charset.
      {rss("<item><title>" + encoded(cyrillic, "KOI8-R") + "</title></item>", "<?xml version=\"1.0\"?>"),
       QStringLiteral("koi8-r"), cyrillic},
      // A byte-order mark outranks the declaration.
      {QByteArray("\xEF\xBB\xBF") + rss("<item><title>" + title.toUtf8() + "</title></item>",
                                        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"),
       {},
       title},
      {encoded(QString::fromUtf8(rss("<item><title>" + title.toUtf8() + "</title></item>",
                                     "<?xml version=\"1.0\" encoding=\"UTF-16\"?>")),
               "UTF-16LE")
           .prepend("\xFF\xFE"),
       {},
       title},
      // One invalid byte in UTF-8 becomes U+FFFD; the rest of the feed stays.
      {rss("<item><title>a\xFF"
           "b</title></item>"),
       {},
       QStringLiteral("a\uFFFDb")},
      // An encoding nobody knows falls through to UTF-8.
      {rss("<item><title>" + title.toUtf8() + "</title></item>", "<?xml version=\"1.0\" encoding=\"x-nonsense\"?>"),
       {},
       title},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.left(60).toStdString());
    const ParseResult result = ParseRssItems(c.bytes, c.charset);
    ASSERT_EQ(result.count(), 1);
    EXPECT_EQ(result.items[0].title, c.expected);
  }
  EXPECT_EQ(FeedDecoder::detectEncoding("<?xml version=\"1.0\" encoding=\"EUC-JP\"?><a/>"), QStringLiteral("euc-jp"));
}

// Hostile documents end in items or a failure, quickly and without harm.
TEST(Parsers, HostileInput) {
  // Entity expansion: the DOCTYPE's entities are never expanded.
  QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY lol \"lol\">";
  laughs += "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">";
  for (int i = 2; i < 10; ++i) {
    laughs += "<!ENTITY lol" + QByteArray::number(i) + " \"";
    for (int j = 0; j < 10; ++j) laughs += "&lol" + QByteArray::number(i - 1) + ";";
    laughs += "\">";
  }
  laughs += "<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>";
  laughs += "<rss><channel><item><title>&lol9;&ext;</title></item></channel></rss>";
  const ParseResult expanded = ParseRssItems(laughs);
  ASSERT_EQ(expanded.count(), 1);
  EXPECT_LT(expanded.items[0].title.size(), 100);
  EXPECT_FALSE(expanded.items[0].title.contains(QStringLiteral("root:")));

  // An item with 10,000 links keeps the last.
  QByteArray links = "<item>";
  for (int i = 0; i < 10000; ++i) links += "<link>http://l/" + QByteArray::number(i) + "</link>";
  links += "</item>";
  const ParseResult manyLinks = ParseRssItems(rss(links));
  ASSERT_EQ(manyLinks.count(), 1);
  EXPECT_EQ(manyLinks.items[0].link, QStringLiteral("http://l/9999"));
  EXPECT_EQ(manyLinks.items[0].id, md5("http://l/9999"));

  // 100,000 items.
  QByteArray many;
  many.reserve(100000 * 40);
  for (int i = 0; i < 100000; ++i) many += "<item><title>" + QByteArray::number(i) + "</title></item>";
  const ParseResult hundredThousand = ParseRssItems(rss(many));
  ASSERT_EQ(hundredThousand.count(), 100000);
  EXPECT_EQ(hundredThousand.items.back().title, QStringLiteral("99999"));

  // Nesting deep enough to overflow any recursive walk.
  const int depth = 200000;
  QByteArray deep = "<rss><channel><item><description>";
  deep += QByteArray("<d>").repeated(depth) + "x" + QByteArray("</d>").repeated(depth);
  deep += "</description></item></channel></rss>";
  const ParseResult nested = ParseRssItems(deep);
  ASSERT_EQ(nested.count(), 1);
  EXPECT_EQ(nested.items[0].description, QStringLiteral("x"));
  EXPECT_EQ(ParseAtomItems(QByteArray("<x>").repeated(depth)).failure, ParseFailure::InvalidXml);

  // Truncated, an HTML error page, binary noise.
  EXPECT_EQ(ParseRssItems(rss("<item><title>cut").left(60)).failure, ParseFailure::InvalidXml);
  EXPECT_EQ(ParseRssItems("<!DOCTYPE html><html><head><meta charset=utf-8><title>404</title></head><body><p>Not "
                          "Found<br></body></html>")
                .failure,
            ParseFailure::InvalidXml);
  EXPECT_EQ(ParseRssItems(QByteArray("\x00\x01\x02<\xff\xfe", 6)).failure, ParseFailure::InvalidXml);
}

// A document that is not XML says where it stopped being XML, so that the
// fault can be found in a large one; a valid document or another failure
// carries no detail.
TEST(FeedParser, NotWellFormedSaysWhereParsingStopped) {
  struct Case {
    QByteArray data;
    const char* detail;
  };
  const Case cases[] = {
      {"<rss><channel>", "Start-end tags mismatch at byte 13"},
      {"<rss><channel><title>a</titel></channel></rss>", "Start-end tags mismatch at byte 24"},
      {"<?xml version=\"1.0\"?>\n<!-- nothing -->", "No document element found at byte 37"},
      // Offsets count in the decoded text: two bytes of UTF-8 for the e-acute.
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><rss><channel><title>\xe9</title><x></rss>",
       "Start-end tags mismatch at byte 79"},
      {rss(""), ""},
      {"<doc/>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data.toStdString());
    EXPECT_EQ(ParseRssItems(c.data).detail, QString::fromUtf8(c.detail));
  }
}

}  // namespace
}  // namespace tidewell
