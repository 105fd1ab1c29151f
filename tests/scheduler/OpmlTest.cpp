#include "SchedulerFixture.h"
#include "support/CliRunner.h"

#include "feeddb/OpmlDocument.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeds/OpmlImporter.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace tidewell::test {
namespace {

QByteArray podcastFeed(const QString& title) {
  return "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel><title>" +
         title.toUtf8() + "</title><itunes:summary>s</itunes:summary></channel></rss>";
}

QByteArray titledRss(const QString& title) {
  return "<rss version=\"2.0\"><channel><title>" + title.toUtf8() + "</title></channel></rss>";
}

QByteArray titledAtom(const QString& title) {
  return "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>" + title.toUtf8() + "</title></feed>";
}

TEST(OpmlParse, FoldersBecomeCategoriesAndLooseFeedsAreGathered) {
  const QByteArray opml = R"(<?xml version="1.0"?>
<opml version="1.0"><head><title>My Reading</title></head><body>
  <outline xmlUrl="http://a.example/loose.xml" text="Loose"/>
  <outline title="Tech">
    <outline text="One" xmlUrl="http://a.example/1.xml"/>
    <outline text="Deeper"><outline text="Two" xmlUrl="http://a.example/2.xml"/></outline>
  </outline>
  <outline text="tech"><outline title="Three" xmlUrl="http://a.example/3.xml"/></outline>
  <outline text="Empty"/>
</body></opml>)";
  const Result<OpmlOutline> parsed = OpmlDocument::Parse(opml);
  ASSERT_TRUE(parsed.ok()) << parsed.error().description.toStdString();
  const std::vector<OpmlCategory> expected = {
      {"My Reading", {{"Loose", "http://a.example/loose.xml"}}},
      {"Tech",
       {{"One", "http://a.example/1.xml"}, {"Two", "http://a.example/2.xml"}, {"Three", "http://a.example/3.xml"}}},
      {"Empty", {}},
  };
  EXPECT_EQ(parsed.value().categories, expected);

  const Result<OpmlOutline> untitled = OpmlDocument::Parse(
      "<opml version=\"2.0\"><body><outline text=\"x\" xmlUrl=\"http://a.example/x\"/></body></opml>");
  ASSERT_TRUE(untitled.ok());
  ASSERT_EQ(untitled.value().categories.size(), 1u);
  EXPECT_EQ(untitled.value().categories[0].name, QStringLiteral("Imported"));
}

TEST(OpmlParse, MalformedListsAreRefusedWithTheirReason) {
  struct Case {
    QByteArray bytes;
    const char* reason;
  };
  for (const Case& c : {Case{"<opml><body><outline></body></opml>", "not well-formed XML"},
                        Case{"", "not well-formed XML"}, Case{"<rss><channel/></rss>", "root element is <rss>"},
                        Case{"<opml version=\"2.0\"><head/></opml>", "no <body>"}}) {
    SCOPED_TRACE(c.bytes.toStdString());
    const Result<OpmlOutline> parsed = OpmlDocument::Parse(c.bytes);
    ASSERT_FALSE(parsed.ok());
    EXPECT_TRUE(parsed.error().description.contains(QString::fromLatin1(c.reason)))
        << parsed.error().description.toStdString();
  }
}

class OpmlRoundTrip : public SchedulerFixture {
 protected:
  void addFeed(const TempHome& where, const QString& category, const QString& name, const QString& path,
               FeedType type) {
    mCategories categories(where.paths(), messages);
    if (!categories.CategoryExists(category)) {
      ASSERT_TRUE(categories.AddCategory(category));
    }
    FeedRecord record{category, server.url(path).toString(), type, util::NewFeedID(), name};
    ASSERT_TRUE(mFeeds(where.paths(), messages).AddFeed(record));
  }

  std::vector<OpmlCategory> contents(const TempHome& where) {
    const Result<OpmlOutline> outline = OpmlDocument::FromFeedsDb(where.paths().feedsDb(), messages);
    EXPECT_TRUE(outline.ok());
    return outline.ok() ? outline.value().categories : std::vector<OpmlCategory>{};
  }

  QStringList types(const TempHome& where) {
    QStringList out;
    const QString text = QString::fromUtf8(where.read(QStringLiteral("feeds.fdb")));
    static const QRegularExpression type(QStringLiteral("type=\"(\\d+)\""));
    for (const QRegularExpressionMatch& match : type.globalMatch(text)) out << match.captured(1);
    return out;
  }
};

TEST_F(OpmlRoundTrip, ExportThenImportIntoAnEmptyFolderGivesTheSameCategoriesAndFeeds) {
  server.route(QStringLiteral("/news.xml"), {.body = titledRss(QStringLiteral("Daily News"))});
  server.route(QStringLiteral("/blog.xml"), {.body = titledAtom(QStringLiteral("A Blog & More"))});
  server.route(QStringLiteral("/cast.xml"), {.body = podcastFeed(QStringLiteral("The Cast"))});
  addFeed(home, QStringLiteral("News"), QStringLiteral("Daily News"), QStringLiteral("/news.xml"), FeedType::RSS);
  addFeed(home, QStringLiteral("News"), QStringLiteral("A Blog & More"), QStringLiteral("/blog.xml"), FeedType::ATOM);
  addFeed(home, QStringLiteral("Podcasts"), QStringLiteral("The Cast"), QStringLiteral("/cast.xml"), FeedType::Podcast);
  ASSERT_TRUE(mCategories(home.paths(), messages).AddCategory(QStringLiteral("Empty")));

  const QString list = home.file(QStringLiteral("list.opml"));
  const CliRun exported = runCli({QStringLiteral("--home"), home.path(), QStringLiteral("export-opml"), list});
  ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();

  TempHome other;
  other.write(QStringLiteral("feeds.fdb"), "<categories/>");  // without the shipped feeds
  const CliRun imported = runCli({QStringLiteral("--home"), other.path(), QStringLiteral("import-opml"), list});
  ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
  EXPECT_EQ(imported.out.count("added\t"), 3) << imported.out.toStdString();
  EXPECT_TRUE(imported.err.contains("3 added, 0 skipped as duplicates, 0 refused"));
  EXPECT_EQ(contents(other), contents(home));
  EXPECT_EQ(types(other), types(home));

  // The same list again: every feed is already there.
  const QByteArray before = other.read(QStringLiteral("feeds.fdb"));
  const CliRun again = runCli({QStringLiteral("--home"), other.path(), QStringLiteral("import-opml"), list});
  ASSERT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out.count("duplicate\t"), 3);
  EXPECT_EQ(other.read(QStringLiteral("feeds.fdb")), before);
}

TEST_F(OpmlRoundTrip, MalformedListChangesNothing) {
  addFeed(home, QStringLiteral("News"), QStringLiteral("Daily News"), QStringLiteral("/news.xml"), FeedType::RSS);
  const QByteArray before = home.read(QStringLiteral("feeds.fdb"));
  const QString list = home.write(QStringLiteral("bad.opml"), "<opml><body><outline text=\"x\" xmlUrl=\"http://a/\">");
  const CliRun run = runCli({QStringLiteral("--home"), home.path(), QStringLiteral("import-opml"), list});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("not well-formed XML")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("Nothing was imported."));
  EXPECT_EQ(home.read(QStringLiteral("feeds.fdb")), before);
}

TEST_F(OpmlRoundTrip, EachFeedIsAddedSkippedOrRefusedWithItsReason) {
  server.route(QStringLiteral("/good.xml"), {.body = titledRss(QStringLiteral("Good Title"))});
  server.route(QStringLiteral("/page.html"), {.body = "<html><body>hello</body></html>"});
  server.route(QStringLiteral("/broken.xml"), {.body = "<rss><channel>"});
  server.route(QStringLiteral("/silent.xml"), {.stall = true});
  const QString opml =
      QStringLiteral(
          "<opml version=\"2.0\"><body><outline text=\"Mixed\">"
          "<outline text=\"mine\" xmlUrl=\"%1\"/>"
          "<outline text=\"page\" xmlUrl=\"%2\"/>"
          "<outline text=\"broken\" xmlUrl=\"%3\"/>"
          "<outline text=\"silent\" xmlUrl=\"%4\"/>"
          "<outline text=\"local\" xmlUrl=\"file:///etc/passwd\"/>"
          "<outline text=\"again\" xmlUrl=\"%1\"/>"
          "</outline></body></opml>")
          .arg(server.url(QStringLiteral("/good.xml")).toString(), server.url(QStringLiteral("/page.html")).toString(),
               server.url(QStringLiteral("/broken.xml")).toString(),
               server.url(QStringLiteral("/silent.xml")).toString());
  const Result<OpmlOutline> outline = OpmlDocument::Parse(opml.toUtf8());
  ASSERT_TRUE(outline.ok());
  OpmlImporter importer(home.paths(), messages);
  importer.setTimeoutMs(300);
  importer.setConnectivityTest([] { return true; });
  const Result<OpmlImportReport> report = importer.Import(outline.value());
  ASSERT_TRUE(report.ok());
  const std::vector<OpmlImportEntry>& entries = report.value().entries;
  ASSERT_EQ(entries.size(), 6u);
  using Outcome = OpmlImportEntry::Outcome;
  struct Expected {
    Outcome outcome;
    const char* name;
    const char* reason;
  };
  const Expected expected[] = {
      {Outcome::Added, "Good Title", ""},
      {Outcome::Refused, "page", "not supported by current version"},
      {Outcome::Refused, "broken", "not in a valid format"},
      {Outcome::Refused, "silent", "Server did not respond in timely manner"},
      {Outcome::Refused, "local", "Only http and https addresses"},
      {Outcome::Duplicate, "Good Title", ""},
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].outcome, expected[i].outcome);
    EXPECT_EQ(entries[i].name, QString::fromLatin1(expected[i].name));
    EXPECT_EQ(entries[i].category, QStringLiteral("Mixed"));
    EXPECT_TRUE(entries[i].reason.contains(QString::fromLatin1(expected[i].reason))) << entries[i].reason.toStdString();
  }
  EXPECT_EQ(
      contents(home),
      (std::vector<OpmlCategory>{{"Mixed", {{"Good Title", server.url(QStringLiteral("/good.xml")).toString()}}}}));

  // Offline: refused whole, nothing written.
  const QByteArray before = home.read(QStringLiteral("feeds.fdb"));
  importer.setConnectivityTest([] { return false; });
  EXPECT_FALSE(importer.Import(outline.value()).ok());
  EXPECT_EQ(home.read(QStringLiteral("feeds.fdb")), before);
  EXPECT_EQ(server.hits(QStringLiteral("/good.xml")), 2);  // the second outline of it was fetched too
}

}  // namespace
}  // namespace tidewell::test
