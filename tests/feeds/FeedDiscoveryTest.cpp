#include "feeds/FeedDiscovery.h"
#include "feeds/FeedValidation.h"
#include "support/CliRunner.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::CliRun;
using test::runCli;
using test::ScriptedMessages;
using test::TempHome;
using test::TestHttpServer;

const QByteArray kRss =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Tide Log</title><item><title>a</title></item>"
    "</channel></rss>";
const QByteArray kAtom =
    "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Tide Notes</title></feed>";

QByteArray page(const QByteArray& head) {
  return "<!DOCTYPE html><html><head><title>Site</title>" + head + "</head><body><p>Hello</p></body></html>";
}

TEST(FeedDiscovery, AlternateLinksOfAPage) {
  const QUrl at(QStringLiteral("http://site.test/blog/post.html"));
  struct Case {
    const char* name;
    QByteArray head;
    QStringList expected;
  };
  const Case cases[] = {
      {"relative to the page",
       "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"feed.xml\">",
       {"http://site.test/blog/feed.xml"}},
      {"root-relative, ATOM, mixed case",
       "<LINK REL=\"Alternate\" TYPE=\"Application/Atom+XML\" HREF=\"/atom.xml\">",
       {"http://site.test/atom.xml"}},
      {"base element",
       "<base href=\"http://cdn.test/x/\"><link rel=\"alternate\" type=\"application/rss+xml\" href=\"rss\">",
       {"http://cdn.test/x/rss"}},
      {"several rel words, repeats dropped, order kept",
       "<link rel=\"feed alternate\" type=\"application/atom+xml\" href=\"/b\">"
       "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/a\">"
       "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/b\">",
       {"http://site.test/b", "http://site.test/a"}},
      {"not feeds: other types, other rels, other schemes, no address",
       "<link rel=\"alternate\" type=\"text/html\" hreflang=\"de\" href=\"/de\">"
       "<link rel=\"stylesheet\" type=\"application/rss+xml\" href=\"/s\">"
       "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"javascript:alert(1)\">"
       "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"file:///etc/passwd\">"
       "<link rel=\"alternate\" type=\"application/rss+xml\">",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QStringList found;
    for (const QUrl& url : FeedDiscovery::alternateLinks(page(c.head), at)) found << url.toString();
    EXPECT_EQ(found, c.expected);
  }
  EXPECT_TRUE(FeedDiscovery::alternateLinks("", at).isEmpty());
  EXPECT_TRUE(FeedDiscovery::looksLikeHtml(page("")));
  EXPECT_FALSE(FeedDiscovery::looksLikeHtml(kRss));
}

struct Site {
  TestHttpServer server;
  QString url(const char* path) const { return server.url(QString::fromLatin1(path)).toString(); }
  FeedDetection check(const char* path, ScriptedMessages& messages,
                      std::function<int(const QList<DiscoveredFeed>&)> choose = {}) {
    CheckFeedRequest request;
    request.url = url(path);
    request.isConnected = [] { return true; };
    request.chooseFeed = std::move(choose);
    return CheckFeed(request, messages);
  }
};

TEST(FeedDiscovery, TheFeedDialogTakesAPagesFeed) {
  Site site;
  site.server.route("/rss.xml", {.body = kRss});
  site.server.route("/atom.xml", {.body = kAtom});
  site.server.route("/linked", {.body = page("<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss.xml\">"),
                                .contentType = "text/html"});
  site.server.route("/bare", {.body = page(""), .contentType = "text/html"});
  ScriptedMessages messages;

  // A link element.
  FeedDetection found = site.check("/linked", messages);
  EXPECT_EQ(found.type, 0);
  EXPECT_EQ(found.feedUrl, site.url("/rss.xml"));
  EXPECT_EQ(found.title, QStringLiteral("Tide Log"));
  // No link: the usual places, in order (/feed and /rss are missing here).
  found = site.check("/bare", messages);
  EXPECT_EQ(found.type, 1);
  EXPECT_EQ(found.feedUrl, site.url("/atom.xml"));
  EXPECT_EQ(site.server.hits("/feed"), 1);
  EXPECT_TRUE(messages.empty()) << messages.texts().join('\n').toStdString();
  // The feed's own address is taken as it is.
  found = site.check("/rss.xml", messages);
  EXPECT_EQ(found.type, 0);
  EXPECT_TRUE(found.feedUrl.isEmpty());
}

TEST(FeedDiscovery, APageWithoutFeedsKeepsTheMessages) {
  Site site;
  site.server.route("/bare", {.body = page(""), .contentType = "text/html"});
  site.server.route("/broken",
                    {.body = page("<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/gone.xml\"/>"),
                     .contentType = "text/html"});
  for (const char* path : {"/bare", "/broken"}) {
    SCOPED_TRACE(path);
    ScriptedMessages messages;
    EXPECT_EQ(site.check(path, messages).type, -1);
    // The dialog's own answer for a document that is no feed, as before.
    ASSERT_EQ(messages.titles().size(), 1);
    EXPECT_TRUE(messages.titles().first() == QStringLiteral("Feed Type Not Supported!") ||
                messages.titles().first() == QStringLiteral("Invalid Feed Data Format!"))
        << messages.titles().first().toStdString();
  }
}

TEST(FeedDiscovery, SeveralFeedsAreOfferedToChooseFrom) {
  Site site;
  site.server.route("/rss.xml", {.body = kRss});
  site.server.route("/atom.xml", {.body = kAtom});
  site.server.route("/both", {.body = page("<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss.xml\">"
                                           "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"/atom.xml\">"),
                              .contentType = "text/html"});
  ScriptedMessages messages;
  QList<DiscoveredFeed> offered;
  FeedDetection found = site.check("/both", messages, [&](const QList<DiscoveredFeed>& feeds) {
    offered = feeds;
    return 1;
  });
  ASSERT_EQ(offered.size(), 2);
  EXPECT_EQ(offered[0], (DiscoveredFeed{site.url("/rss.xml"), QStringLiteral("Tide Log"), 0}));
  EXPECT_EQ(offered[1], (DiscoveredFeed{site.url("/atom.xml"), QStringLiteral("Tide Notes"), 1}));
  EXPECT_EQ(found.feedUrl, site.url("/atom.xml"));
  EXPECT_EQ(found.type, 1);

  // Choosing none ends the validation without a message.
  found = site.check("/both", messages, [](const QList<DiscoveredFeed>&) { return -1; });
  EXPECT_EQ(found.type, -1);
  EXPECT_TRUE(messages.empty());
}

TEST(FeedDiscovery, CommandLine) {
  TempHome home;
  Site site;
  site.server.route("/rss.xml", {.body = kRss});
  site.server.route("/atom.xml", {.body = kAtom});
  site.server.route("/one", {.body = page("<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss.xml\">"),
                             .contentType = "text/html"});
  site.server.route("/both", {.body = page("<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss.xml\">"
                                           "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"/atom.xml\">"),
                              .contentType = "text/html"});
  site.server.route("/nothing", {.status = 404, .body = "<html><body>no</body></html>", .contentType = "text/html"});
  const QStringList base = {QStringLiteral("--home"), home.path()};

  CliRun run = runCli(base + QStringList{"discover", site.url("/both")});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(QString::fromUtf8(run.out),
            site.url("/rss.xml") + "\tTide Log\trss\n" + site.url("/atom.xml") + "\tTide Notes\tatom\n");
  run = runCli(base + QStringList{"discover", site.url("/atom.xml")});
  EXPECT_EQ(QString::fromUtf8(run.out), site.url("/atom.xml") + "\tTide Notes\tatom\n");
  run = runCli(base + QStringList{"discover", site.url("/nothing")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.isEmpty());

  // add-feed with a page: its one feed is subscribed; several are listed, none taken.
  run = runCli(base + QStringList{"add-feed", site.url("/one"), "--category", "Tide"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(home.read("feeds.fdb").contains(site.url("/rss.xml").toUtf8())) << home.read("feeds.fdb").toStdString();
  EXPECT_FALSE(home.read("feeds.fdb").contains(site.url("/one").toUtf8()));
  run = runCli(base + QStringList{"add-feed", site.url("/both"), "--category", "Both"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(site.url("/atom.xml").toUtf8())) << run.err.toStdString();
  EXPECT_FALSE(home.read("feeds.fdb").contains("Both"));
}

}  // namespace
}  // namespace tidewell
