#include "FeedDbFixture.h"

#include "feeddb/FeedDbTexts.h"

namespace tidewell::test {
namespace {

using FeedOperations = FeedDbFixture;

const QString kVergeId = QStringLiteral("796A7FE4-E719-4830-814F-EBFCC521DFF1");
const QString kBbcId = QStringLiteral("330B0EE3-1D99-4938-ACCE-30808E2C6945");
const QByteArray kVergeElement =
    "<feed name=\"The Verge\" type=\"1\" id=\"796A7FE4-E719-4830-814F-EBFCC521DFF1\">"
    "https://www.theverge.com/rss/index.xml</feed>";

FeedRecord record(const QString& category, const QString& name, const QString& url, const QString& id = {},
                  FeedType type = FeedType::RSS) {
  return FeedRecord{category, url, type, id, name};
}

TEST_F(FeedOperations, FeedExistsLooksOnlyInTheRecordsCategory) {
  useFixture("sample.fdb");
  struct Case {
    const char* category;
    const char* name;
    const char* url;
    bool exists;
  } const cases[] = {
      {"Technology", "the verge", "https://other.example/", true},                // name, any case
      {"technology", "Someone", "HTTPS://WWW.THEVERGE.COM/RSS/INDEX.XML", true},  // URL, any case
      {"News", "The Verge", "https://other.example/", false},                     // other category's name
      {"News", "Someone", "https://www.theverge.com/rss/index.xml", false},       // other category's URL
      {"Technology", "not a feed", "https://other.example/", false},              // the <note> is skipped
      {"Empty", "Anything", "https://www.theverge.com/rss/index.xml", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(feeds().FeedExists(record(c.category, c.name, c.url)), c.exists) << c.category << " / " << c.name;
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(FeedOperations, MissingCategoryIsReportedByEveryFeedOperation) {
  useFixture("sample.fdb");
  const QByteArray before = db();
  const FeedRecord ghost = record("Ghost", "x", "https://x.example/", kVergeId);
  EXPECT_FALSE(feeds().FeedExists(ghost));
  EXPECT_FALSE(feeds().AddFeed(ghost));
  EXPECT_FALSE(feeds().EditFeed(ghost, false));
  EXPECT_FALSE(feeds().EditFeed(ghost, true, "News"));
  EXPECT_FALSE(feeds().DeleteFeed(ghost));
  EXPECT_EQ(db(), before);
  ASSERT_EQ(messages.entries().size(), 5u);
  for (const auto& entry : messages.entries()) {
    EXPECT_EQ(entry.text, "Application failed to locate Feed category \"Ghost\" in Database!");
    EXPECT_EQ(entry.title, "Failed to access specified Category!");
    EXPECT_EQ(entry.icon, MessageIcon::Exclamation);
  }
}

TEST_F(FeedOperations, AddWritesNameTypeIdInOrderAtTheEnd) {
  useFixture("sample.fdb");
  const FeedRecord added = record("EMPTY", "Pod \"cast\"", "https://pod.example/feed?x=1&y=2",
                                  "AAAAAAAA-0000-0000-0000-000000000001", FeedType::Podcast);
  ASSERT_TRUE(feeds().AddFeed(added));
  ASSERT_TRUE(feeds().AddFeed(record("Empty", "Second", "https://2.example/", "AAAAAAAA-0000-0000-0000-000000000002")));
  EXPECT_TRUE(db().endsWith(
      "<category name=\"Empty\"><feed name=\"Pod &quot;cast&quot;\" type=\"2\" "
      "id=\"AAAAAAAA-0000-0000-0000-000000000001\">https://pod.example/feed?x=1&amp;y=2</feed>"
      "<feed name=\"Second\" type=\"0\" id=\"AAAAAAAA-0000-0000-0000-000000000002\">https://2.example/</feed>"
      "</category></categories>"));
  // AddFeed does not look for duplicates: that is the caller's choice.
  EXPECT_TRUE(feeds().AddFeed(record("Empty", "Second", "https://2.example/", "AAAAAAAA-0000-0000-0000-000000000003")));

  const std::optional<FeedRecord> found = feeds().FindFeed("AAAAAAAA-0000-0000-0000-000000000001");
  ASSERT_TRUE(found.has_value());
  FeedRecord expected = added;
  expected.category = "Empty";
  EXPECT_EQ(*found, expected);
  EXPECT_FALSE(feeds().FindFeed("aaaaaaaa-0000-0000-0000-000000000001").has_value());  // ids match exactly
  EXPECT_TRUE(messages.empty());
}

TEST_F(FeedOperations, EditInPlaceKeepsIdAndPositionAndNeedsTheRightCategory) {
  useFixture("sample.fdb");
  FeedRecord verge = *feeds().FindFeed(kVergeId);
  verge.name = "Verge";
  verge.url = "https://verge.example/atom";
  verge.type = FeedType::RSS;
  ASSERT_TRUE(feeds().EditFeed(verge, false));
  EXPECT_TRUE(
      db().contains("<note text=\"not a feed\"/><feed name=\"Verge\" type=\"0\" "
                    "id=\"796A7FE4-E719-4830-814F-EBFCC521DFF1\">https://verge.example/atom</feed>"
                    "<feed name=\"Hacker News\""));

  const QByteArray before = db();
  FeedRecord elsewhere = verge;
  elsewhere.category = "News";  // the feed is searched in the record's category only
  EXPECT_FALSE(feeds().EditFeed(elsewhere, false));
  FeedRecord lowerId = verge;
  lowerId.id = kVergeId.toLower();
  EXPECT_FALSE(feeds().EditFeed(lowerId, false));
  EXPECT_EQ(db(), before);
  EXPECT_TRUE(messages.empty());
}

TEST_F(FeedOperations, MoveKeepsTheStoredBytesAndPlacesTheFeedLast) {
  useFixture("sample.fdb");
  // The record's name, type and URL are not written by a move.
  FeedRecord verge = record("Technology", "Ignored", "https://ignored.example/", kVergeId, FeedType::Podcast);
  ASSERT_TRUE(feeds().EditFeed(verge, true, "NEWS"));
  const QByteArray after = db();
  EXPECT_FALSE(after.mid(0, after.indexOf("<category name=\"news\"")).contains("796A7FE4"));
  EXPECT_TRUE(after.contains("https://feeds.npr.org/1001/rss.xml</feed>" + kVergeElement + "</category>"));
  EXPECT_EQ(after.count("796A7FE4"), 1);
  EXPECT_EQ(feeds().FindFeed(kVergeId)->category, "news");
  EXPECT_TRUE(messages.empty());
}

TEST_F(FeedOperations, MoveToAMissingCategoryChangesNothing) {
  useFixture("sample.fdb");
  const QByteArray before = db();
  EXPECT_FALSE(feeds().EditFeed(record("Technology", "", "", kVergeId), true, "Elsewhere"));
  EXPECT_EQ(db(), before);
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().text, "Application failed to locate Elsewhere in Database!");
  EXPECT_EQ(messages.last().title, "Category not found!");
}

TEST_F(FeedOperations, DeleteRemovesTheFeedAndItsItemStoreOnly) {
  useFixture("sample.fdb");
  const QString bbcStore = home.write("Data/" + kBbcId + ".fdb", "<items/>");
  const QString otherStore = home.write("Data/" + kVergeId + ".fdb", "<items/>");
  ASSERT_TRUE(feeds().DeleteFeed(record("NEWS", "", "", kBbcId)));
  EXPECT_FALSE(db().contains(kBbcId.toUtf8()));
  EXPECT_FALSE(QFile::exists(bbcStore));
  EXPECT_TRUE(QFile::exists(otherStore));

  // Without an item store it still succeeds; an unknown id fails silently.
  ASSERT_TRUE(feeds().DeleteFeed(record("news", "", "", "F4AE0D0F-DF55-4FD5-8CE0-C2C194BB6014")));
  EXPECT_EQ(db().count("<feed "), 4);
  const QByteArray before = db();
  EXPECT_FALSE(feeds().DeleteFeed(record("news", "", "", kBbcId)));
  EXPECT_EQ(db(), before);
  EXPECT_TRUE(messages.empty());
}

TEST_F(FeedOperations, DeleteFeedDataNeverLeavesTheDataFolder) {
  const QString outside = home.write("feeds-backup.fdb", "keep");
  const QString inside = home.write("Data/ABC-1.fdb", "<items/>");
  feeds().DeleteFeedData("../feeds-backup");
  feeds().DeleteFeedData("..\\feeds-backup");
  feeds().DeleteFeedData("NO-SUCH-ID");
  EXPECT_TRUE(QFile::exists(outside));
  feeds().DeleteFeedData("ABC-1");
  EXPECT_FALSE(QFile::exists(inside));
}

TEST_F(FeedOperations, FindCategoryGivesTheStoredName) {
  useFixture("sample.fdb");
  EXPECT_EQ(feeds().FindCategory("NEWS"), std::optional<QString>("news"));
  EXPECT_EQ(feeds().FindCategory("Nope"), std::nullopt);
}

}  // namespace
}  // namespace tidewell::test
