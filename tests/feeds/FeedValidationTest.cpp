#include "feeds/FeedValidation.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::TestHttpServer;

TEST(FeedDetection, TypesAndTitles) {
  struct Case {
    QByteArray document;
    DetectFailure failure;
    int type;
    const char* title;  // null: no title node
  };
  const Case cases[] = {
      {"<rss><channel><title> Plain </title><item/></channel></rss>", DetectFailure::None, 0, "Plain"},
      {"<rss xmlns:itunes=\"i\"><channel><title>Pod</title><itunes:summary>s</itunes:summary></channel></rss>",
       DetectFailure::None, 2, "Pod"},
      // itunes:summary only inside an item does not make a podcast.
      {"<rss xmlns:itunes=\"i\"><channel><item><itunes:summary>s</itunes:summary></item></channel></rss>",
       DetectFailure::None, 0, nullptr},
      {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Atom</title><entry/></feed>", DetectFailure::None, 1,
       "Atom"},
      {"<feed><entry><title>not the feed's</title></entry></feed>", DetectFailure::None, 1, nullptr},
      {"<rdf><channel><title>Rdf</title></channel></rdf>", DetectFailure::None, 0, "Rdf"},
      // RSS 1.0: the RSS parser reads it, so it is subscribed as RSS.
      {"<rdf:RDF xmlns:rdf=\"r\"><channel><title>t</title></channel><item/></rdf:RDF>", DetectFailure::None, 0, "t"},
      {"<rdf:RDF xmlns:rdf=\"r\"><channel><itunes:summary>s</itunes:summary></channel></rdf:RDF>", DetectFailure::None,
       2, nullptr},
      {"<html><body>well-formed page</body></html>", DetectFailure::NotSupported, -1, nullptr},
      {"<html><body><p>broken</body></html>", DetectFailure::InvalidXml, -1, nullptr},
      {"", DetectFailure::InvalidXml, -1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document.toStdString());
    const FeedDetection detection = DetectFeedType(c.document);
    EXPECT_EQ(detection.failure, c.failure);
    EXPECT_EQ(detection.type, c.type);
    EXPECT_EQ(detection.hasTitle, c.title != nullptr);
    if (c.title) {
      EXPECT_EQ(detection.title, QString::fromUtf8(c.title));
    }
  }
  // The dialog's reason says where a broken document stopped being XML.
  const FeedDetection broken = DetectFeedType("<html><body><p>broken</body></html>");
  EXPECT_EQ(broken.xmlError, QStringLiteral("Start-end tags mismatch at byte 23"));
  DownloadResult answer;
  answer.body = "<rss><item>cut";
  EXPECT_EQ(InvalidFeedReason(QUrl(QStringLiteral("http://127.0.0.1/f")), answer, broken.xmlError),
            QStringLiteral("The data is not well-formed XML: Start-end tags mismatch at byte 23."));
}

TEST(CheckFeed, MessagesOfTheFeedDialog) {
  test::TempHome home;
  TestHttpServer server;
  server.route(QStringLiteral("/pod"), {.body = "<rss xmlns:itunes=\"i\"><channel><title>Pod</title>"
                                                "<itunes:summary>s</itunes:summary></channel></rss>"});
  server.route(QStringLiteral("/page"), {.body = "<page>not a feed</page>"});
  server.route(QStringLiteral("/slow"), {.body = "<feed/>", .delayMs = 2000});

  CheckFeedRequest request;
  request.debugXmlPath = home.file(QStringLiteral("Debug.xml"));
  request.timeoutMs = 600;
  test::ScriptedMessages messages;

  request.url = server.url(QStringLiteral("/pod")).toString();
  FeedDetection detection = CheckFeed(request, messages);
  EXPECT_EQ(detection.type, 2);
  EXPECT_EQ(detection.title, QStringLiteral("Pod"));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(home.read(QStringLiteral("Debug.xml")).startsWith("<rss"));

  // "Invalid Feed Data Format!" keeps its title and text and says why.
  struct Case {
    QString url;
    const char* title;
    MessageIcon icon;
    const char* reason;
  };
  const Case cases[] = {
      {server.url(QStringLiteral("/missing")).toString(), "Invalid Feed Data Format!", MessageIcon::Exclamation,
       "The server answered with HTTP status 404."},
      {server.url(QStringLiteral("/page")).toString(), "Feed Type Not Supported!", MessageIcon::Information, ""},
      {server.url(QStringLiteral("/slow")).toString(), "Timeout Error!", MessageIcon::Information, ""},
      {TestHttpServer::refusingUrl().toString(), "Invalid Feed Data Format!", MessageIcon::Exclamation,
       "The server could not be reached: "},
      {QStringLiteral("ftp://127.0.0.1/feed.xml"), "Invalid Feed Data Format!", MessageIcon::Exclamation,
       "The address is not a valid web address."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url.toStdString());
    messages.clear();
    request.url = c.url;
    detection = CheckFeed(request, messages);
    EXPECT_EQ(detection.type, -1);
    ASSERT_EQ(messages.entries().size(), 1u);
    EXPECT_EQ(messages.last().title, QString::fromUtf8(c.title));
    EXPECT_EQ(messages.last().icon, c.icon);
    if (*c.reason != 0) {
      EXPECT_TRUE(messages.last().text.startsWith(
          QStringLiteral("Feed data returned by specified URL is not in a valid format. Please check URL and try "
                         "again ...\r\n\r\n") +
          QString::fromUtf8(c.reason)))
          << messages.last().text.toStdString();
    }
  }

  // Offline: Retry tests again, Cancel gives up.
  messages.clear();
  int probes = 0;
  request.isConnected = [&probes] { return ++probes > 5; };
  request.url = server.url(QStringLiteral("/pod")).toString();
  messages.answerRetryCancel(true);
  detection = CheckFeed(request, messages);
  EXPECT_EQ(detection.type, -1);
  EXPECT_EQ(probes, 2);
  ASSERT_EQ(messages.entries().size(), 2u);
  EXPECT_EQ(messages.last().title, QStringLiteral("Failed to access Internet!"));
  EXPECT_EQ(messages.last().kind, test::ScriptedMessages::Kind::RetryCancel);
  EXPECT_EQ(messages.last().icon, MessageIcon::Information);
}

}  // namespace
}  // namespace tidewell
