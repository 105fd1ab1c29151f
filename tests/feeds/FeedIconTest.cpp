#include "feeds/FeedIconFetch.h"
#include "feeds/FeedIconImage.h"
#include "feeds/FeedIconSources.h"
#include "feeds/FeedIcons.h"
#include "support/CliRunner.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::CliRun;
using test::runCli;
using test::TempHome;
using test::TestHttpServer;

QByteArray encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

QByteArray picture(QRgb color, int width, int height, const char* format = "png") {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(color);
  return encoded(image, format);
}

// A 1 x 1 GIF of one red pixel.
const char kRedGifBytes[] =
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
    ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
const QByteArray kRedGif(kRedGifBytes, sizeof(kRedGifBytes) - 1);

const QRgb kGreen = qRgb(0, 160, 0);
const QRgb kBlue = qRgb(0, 0, 200);
const QRgb kRed = qRgb(255, 0, 0);

QByteArray rss(const QByteArray& channelExtra) {
  return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Tide Log</title>" + channelExtra +
         "<item><title>a</title><link>http://127.0.0.1/a</link></item></channel></rss>";
}

QByteArray page(const QByteArray& head) {
  return "<!DOCTYPE html><html><head><title>Site</title>" + head + "</head><body><p>Hello</p></body></html>";
}

TEST(FeedIconSources, TheFeedNamesItsPictureAndSite) {
  const QUrl at(QStringLiteral("http://site.test/feeds/main.xml"));
  struct Case {
    const char* name;
    QByteArray body;
    const char* image;
    const char* site;
  };
  const Case cases[] = {
      {"RSS 2.0 image, relative to the feed",
       rss("<link>http://site.test/</link><image><url>/logo.png</url><title>x</title></image>"),
       "http://site.test/logo.png", "http://site.test/"},
      {"RSS podcast art when there is no image",
       rss("<link>http://site.test/pod/</link><itunes:image href=\"art.jpg\"/>")
           .replace("<rss version=\"2.0\">",
                    "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">"),
       "http://site.test/feeds/art.jpg", "http://site.test/pod/"},
      {"RSS 1.0 image beside the channel",
       "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns=\"http://purl.org/rss/1.0/\">"
       "<channel><title>t</title><link>http://site.test/home</link></channel>"
       "<image><url>http://img.test/i.gif</url></image></rdf:RDF>",
       "http://img.test/i.gif", "http://site.test/home"},
      {"ATOM icon before logo, xml:base and the alternate link",
       "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"http://cdn.test/a/\"><title>t</title>"
       "<logo>logo.png</logo><icon>icon.ico</icon><link rel=\"self\" href=\"http://site.test/atom\"/>"
       "<link rel=\"alternate\" type=\"text/html\" href=\"http://site.test/\"/></feed>",
       "http://cdn.test/a/icon.ico", "http://site.test/"},
      {"ATOM logo alone, link without rel",
       "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>t</title><logo>/l.png</logo>"
       "<link href=\"/blog/\"/></feed>",
       "http://site.test/l.png", "http://site.test/blog/"},
      {"only web addresses", rss("<link>javascript:alert(1)</link><image><url>file:///etc/passwd</url></image>"), "",
       ""},
      {"not a feed", "<html><body>no</body></html>", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FeedIconHints hints = FeedIconSources::fromFeed(c.body, {}, at);
    EXPECT_EQ(hints.image.toString(), QString::fromLatin1(c.image));
    EXPECT_EQ(hints.site.toString(), QString::fromLatin1(c.site));
  }
  EXPECT_EQ(FeedIconSources::favicon(QUrl("https://site.test:8443/a/b?c")).toString(),
            QStringLiteral("https://site.test:8443/favicon.ico"));
  EXPECT_TRUE(FeedIconSources::favicon(QUrl("ftp://site.test/")).isEmpty());
}

TEST(FeedIconSources, ThePageNamesItsIconsBestFirst) {
  const QUrl at(QStringLiteral("http://site.test/blog/"));
  struct Case {
    const char* name;
    QByteArray head;
    QStringList expected;
  };
  const Case cases[] = {
      {"rel spellings, relative to the page",
       "<link rel=\"shortcut icon\" href=\"fav.ico\"><link rel=\"ICON\" href=\"/other.png\">",
       {"http://site.test/blog/fav.ico", "http://site.test/other.png"}},
      {"sizes: 32 px and up smallest first, then none, then smaller; touch icons last",
       "<link rel=\"apple-touch-icon\" href=\"/touch.png\">"
       "<link rel=\"icon\" sizes=\"16x16\" href=\"/16.png\">"
       "<link rel=\"icon\" href=\"/plain.ico\">"
       "<link rel=\"icon\" sizes=\"192x192\" href=\"/192.png\">"
       "<link rel=\"icon\" sizes=\"32x32\" href=\"/32.png\">",
       {"http://site.test/32.png", "http://site.test/192.png", "http://site.test/plain.ico", "http://site.test/16.png",
        "http://site.test/touch.png"}},
      {"base element, repeats dropped",
       "<base href=\"http://cdn.test/x/\"><link rel=\"icon\" href=\"i.png\"><link rel=\"icon\" href=\"i.png\">",
       {"http://cdn.test/x/i.png"}},
      {"no vector pictures, other rels or schemes",
       "<link rel=\"icon\" type=\"image/svg+xml\" href=\"/i.svg\"><link rel=\"icon\" href=\"/j.SVG\">"
       "<link rel=\"stylesheet\" href=\"/s.css\"><link rel=\"icon\" href=\"data:image/png;base64,AAAA\">"
       "<link rel=\"icon\">",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QStringList found;
    for (const QUrl& url : FeedIconSources::fromPage(page(c.head), at)) found << url.toString();
    EXPECT_EQ(found, c.expected);
  }
}

TEST(FeedIconImage, DecodesScalesAndRefuses) {
  struct Case {
    const char* name;
    QByteArray bytes;
    bool ok;
    const char* error;  // part of the reason
  };
  const Case cases[] = {
      {"PNG", picture(kGreen, 48, 48), true, ""},
      {"ICO", picture(kBlue, 16, 16, "ico"), true, ""},
      {"GIF", kRedGif, true, ""},
      {"JPEG", picture(kBlue, 40, 40, "jpg"), true, ""},
      {"HTML", page(""), false, "not an image"},
      {"empty", "", false, "not an image"},
      {"cut PNG", picture(kGreen, 48, 48).left(40), false, "not an image"},
      {"vector picture", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\"/>", false,
       "not an image"},
      {"absurdly large", picture(kGreen, FeedIconImage::kMaxSide + 1, FeedIconImage::kMaxSide + 1), false, "too large"},
      {"a banner", picture(kGreen, 88, 31), false, "not square"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FeedIconImage::Decoded decoded = FeedIconImage::decode(c.bytes);
    EXPECT_EQ(decoded.ok(), c.ok) << decoded.error.toStdString();
    EXPECT_TRUE(decoded.error.contains(QString::fromLatin1(c.error))) << decoded.error.toStdString();
  }

  // A small icon grows by whole pixels; a wide one sits in the middle of a clear square.
  QImage checker(2, 2, QImage::Format_ARGB32);
  checker.setPixel(0, 0, kRed);
  checker.setPixel(1, 0, kBlue);
  checker.setPixel(0, 1, kBlue);
  checker.setPixel(1, 1, kRed);
  const QImage grown = FeedIconImage::normalise(checker).convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(grown.size(), QSize(32, 32));
  EXPECT_EQ(grown.pixel(15, 15), kRed);
  EXPECT_EQ(grown.pixel(16, 15), kBlue);
  QImage wide(40, 20, QImage::Format_ARGB32);
  wide.fill(kGreen);
  const QImage centred = FeedIconImage::normalise(wide).convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(qAlpha(centred.pixel(16, 2)), 0);
  EXPECT_EQ(centred.pixel(16, 16), kGreen);
}

// One site on the test server: its feed at /feed.xml and whatever the case routes.
struct Site {
  TestHttpServer server;
  TempHome home;
  QNetworkAccessManager manager;
  QString iconPath = home.file(QStringLiteral("Icons/feed.png"));

  QByteArray url(const char* path) const { return server.url(QString::fromLatin1(path)).toString().toUtf8(); }
  FeedIconResult fetch() {
    FeedIconFetch fetch(&manager);
    QSignalSpy spy(&fetch, &FeedIconFetch::finished);
    EXPECT_TRUE(fetch.start({server.url(QStringLiteral("/feed.xml")).toString(), iconPath, 5000}));
    EXPECT_TRUE(spy.wait(30000));
    return spy.isEmpty() ? FeedIconResult{} : spy.first().first().value<FeedIconResult>();
  }
  QRgb storedCentre() const {
    const QImage stored(iconPath);
    EXPECT_EQ(stored.size(), QSize(FeedIconImage::kSide, FeedIconImage::kSide));
    return stored.convertToFormat(QImage::Format_ARGB32).pixel(16, 16);
  }
};

TEST(FeedIconFetch, FindsTheIconWhereTheSiteKeepsIt) {
  const TestHttpServer::Response html{.contentType = "text/html"};
  struct Case {
    const char* name;
    std::function<void(Site&)> routes;
    const char* from;  // the picture's path
    QRgb color;
  };
  const Case cases[] = {
      {"the channel's image",
       [](Site& s) {
         s.server.route("/feed.xml", {.body = rss("<image><url>/logo.png</url></image>")});
         s.server.route("/logo.png", {.body = picture(kGreen, 64, 64), .contentType = "image/png"});
         s.server.route("/favicon.ico", {.body = picture(kBlue, 16, 16, "ico")});
       },
       "/logo.png", kGreen},
      {"an ATOM icon",
       [](Site& s) {
         s.server.route("/feed.xml", {.body = "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>t</title>"
                                              "<icon>/i.gif</icon></feed>"});
         s.server.route("/i.gif", {.body = kRedGif, .contentType = "image/gif"});
       },
       "/i.gif", kRed},
      {"a link element of the home page",
       [html](Site& s) {
         s.server.route("/feed.xml", {.body = rss("<link>" + s.url("/home/") + "</link>")});
         TestHttpServer::Response home = html;
         home.body = page("<link rel=\"shortcut icon\" href=\"/img/site.ico\">");
         s.server.route("/home/", home);
         s.server.route("/img/site.ico", {.body = picture(kBlue, 16, 16, "ico"), .contentType = "image/x-icon"});
       },
       "/img/site.ico", kBlue},
      {"/favicon.ico, after a banner and a page without icons",
       [html](Site& s) {
         s.server.route("/feed.xml", {.body = rss("<link>" + s.url("/") +
                                                  "</link><image><url>/banner.png</url>"
                                                  "</image>")});
         s.server.route("/banner.png", {.body = picture(kGreen, 88, 31)});
         TestHttpServer::Response home = html;
         home.body = page("");
         s.server.route("/", home);
         s.server.route("/favicon.ico", {.body = picture(kRed, 32, 32, "ico")});
       },
       "/favicon.ico", kRed},
      {"a feed that fails still has its site's favicon",
       [](Site& s) {
         s.server.route("/feed.xml", {.status = 500, .body = "oops", .contentType = "text/plain"});
         s.server.route("/favicon.ico", {.body = picture(kBlue, 16, 16, "ico")});
       },
       "/favicon.ico", kBlue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site site;
    c.routes(site);
    const FeedIconResult result = site.fetch();
    ASSERT_TRUE(result.found) << result.reason.toStdString();
    EXPECT_EQ(result.iconUrl.path(), QString::fromLatin1(c.from));
    EXPECT_EQ(site.storedCentre(), c.color);
  }
}

TEST(FeedIconFetch, RefusesWhatIsNoIcon) {
  struct Case {
    const char* name;
    std::function<void(Site&)> routes;
    QStringList reasons;  // parts of the reason
  };
  const Case cases[] = {
      {"nothing anywhere",
       [](Site& s) { s.server.route("/feed.xml", {.body = rss("")}); },
       {"no icon found", "/favicon.ico (HTTP 404)"}},
      {"web pages instead of pictures",
       [](Site& s) {
         s.server.route("/feed.xml", {.body = rss("<image><url>/logo.png</url></image>")});
         s.server.route("/logo.png", {.body = page(""), .contentType = "text/html"});
         s.server.route("/favicon.ico", {.body = page(""), .contentType = "text/html"});
       },
       {"/logo.png (not an image)", "/favicon.ico (not an image)"}},
      {"a huge picture and an endless body",
       [](Site& s) {
         s.server.route("/feed.xml", {.body = rss("<image><url>/logo.png</url></image>")});
         s.server.route("/logo.png", {.body = picture(kGreen, 3000, 3000)});
         s.server.route("/favicon.ico", {.streamBytes = qint64(64) << 20});
       },
       {"/logo.png (image too large (3000 x 3000 px))", "/favicon.ico (more than 1024 KiB)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site site;
    c.routes(site);
    const FeedIconResult result = site.fetch();
    EXPECT_FALSE(result.found);
    for (const QString& reason : c.reasons) EXPECT_TRUE(result.reason.contains(reason)) << result.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(site.iconPath));
  }
}

TEST(FeedIcons, TriesAFeedOncePerRun) {
  TestHttpServer server;
  server.route("/feed.xml", {.body = rss("")});
  TempHome home;
  QNetworkAccessManager manager;
  FeedIcons icons(home.paths(), &manager);
  QSignalSpy fetched(&icons, &FeedIcons::fetched);
  const QString feed = server.url(QStringLiteral("/feed.xml")).toString();
  const QString id = QStringLiteral("11111111-2222-3333-4444-555555555555");

  EXPECT_TRUE(icons.request(id, feed));
  EXPECT_FALSE(icons.request(id, feed));  // queued already
  ASSERT_TRUE(fetched.wait(30000));
  EXPECT_FALSE(fetched.first().at(1).value<FeedIconResult>().found);
  EXPECT_FALSE(icons.request(id, feed));  // failed once in this run: left alone
  EXPECT_EQ(server.hits(QStringLiteral("/favicon.ico")), 1);

  // A feed with an icon is never fetched; an id that could name another file never is either.
  server.route("/favicon.ico", {.body = picture(kBlue, 16, 16, "ico")});
  const QString other = QStringLiteral("66666666-7777-8888-9999-AAAAAAAAAAAA");
  EXPECT_TRUE(icons.request(other, feed));
  ASSERT_TRUE(fetched.wait(30000));
  EXPECT_TRUE(icons.hasIcon(other));
  EXPECT_EQ(FeedIcons::storedIcon(home.paths(), other), home.paths().feedIcon(other));
  EXPECT_FALSE(icons.request(QStringLiteral("../feeds"), feed));
  EXPECT_FALSE(icons.busy());
}

TEST(FeedIcons, CommandLine) {
  TestHttpServer server;
  server.route("/a/feed.xml", {.body = rss("<image><url>/a/logo.png</url></image>")});
  server.route("/a/logo.png", {.body = picture(kGreen, 48, 48)});
  server.route("/b/feed.xml", {.body = rss("")});
  const QString a = QStringLiteral("11111111-2222-3333-4444-555555555555");
  const QString b = QStringLiteral("66666666-7777-8888-9999-AAAAAAAAAAAA");
  TempHome home;
  home.write(QStringLiteral("feeds.fdb"),
             "<categories><category name=\"Tide\"><feed name=\"A\" type=\"0\" id=\"" + a.toUtf8() + "\">" +
                 server.url(QStringLiteral("/a/feed.xml")).toString().toUtf8() +
                 "</feed><feed name=\"B\" type=\"0\" id=\"" + b.toUtf8() + "\">" +
                 server.url(QStringLiteral("/b/feed.xml")).toString().toUtf8() + "</feed></category></categories>");
  const QStringList base = {QStringLiteral("--home"), home.path()};
  const QString iconA = home.paths().feedIcon(a);

  CliRun run = runCli(base + QStringList{"icons", "fetch"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
  const QJsonObject found = QJsonDocument::fromJson(lines[0]).object();
  EXPECT_EQ(found.value("id").toString(), a);
  EXPECT_EQ(found.value("icon").toString(), server.url(QStringLiteral("/a/logo.png")).toString());
  EXPECT_EQ(found.value("path").toString(), iconA);
  const QJsonObject none = QJsonDocument::fromJson(lines[1]).object();
  EXPECT_EQ(none.value("id").toString(), b);
  EXPECT_FALSE(none.contains("icon"));
  EXPECT_TRUE(none.value("reason").toString().contains("no icon found")) << lines[1].toStdString();
  EXPECT_TRUE(QFileInfo::exists(iconA));

  // The list names the stored icon of the feed that has one.
  run = runCli(base + QStringList{"list", "--json"});
  const QJsonArray feeds = QJsonDocument::fromJson(run.out)
                               .object()
                               .value("categories")
                               .toArray()
                               .first()
                               .toObject()
                               .value("feeds")
                               .toArray();
  ASSERT_EQ(feeds.size(), 2) << run.out.toStdString();
  EXPECT_EQ(feeds[0].toObject().value("icon").toString(), iconA);
  EXPECT_FALSE(feeds[1].toObject().contains("icon"));

  // Only the given feeds; an unknown id is refused.
  run = runCli(base + QStringList{"icons", "fetch", b});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.count('\n'), 1);
  run = runCli(base + QStringList{"icons", "fetch", "nope"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("nope"));
  EXPECT_EQ(runCli(base + QStringList{"icons"}).exitCode, 2);

  // The icon goes with its feed.
  run = runCli(base + QStringList{"delete-feed", a});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(iconA));
}

}  // namespace
}  // namespace tidewell
