#include "FeedDbFixture.h"

#include "feeddb/CategoryTree.h"
#include "feeddb/FeedDbTexts.h"

#include <functional>

namespace tidewell::test {
namespace {

using BadInput = FeedDbFixture;

enum class Expect { Format, Structure, RuntimeError };

struct BadFile {
  const char* label;
  std::function<QByteArray()> bytes;
  Expect expect;
};

QByteArray manyCategories(int count) {
  QByteArray bytes = "<categories>";
  for (int i = 0; i < count; ++i) bytes += "<category name=\"C" + QByteArray::number(i) + "\"/>";
  return bytes + "</categories>";
}

std::function<QByteArray()> fixtureFile(const char* name) {
  return [name] {
    QFile file(TempHome::testDataDir() + QStringLiteral("/feeddb/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
}

struct Operation {
  const char* name;  // as in the "<name> Function" title
  std::function<bool(mCategories&, mFeeds&)> run;
};

const FeedRecord kRecord{QStringLiteral("News"), QStringLiteral("https://example.org/rss.xml"), FeedType::RSS,
                         QStringLiteral("AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE"), QStringLiteral("Two")};

std::vector<Operation> operations() {
  return {
      {"AddCategory", [](mCategories& c, mFeeds&) { return c.AddCategory("Added"); }},
      {"CategoryExists", [](mCategories& c, mFeeds&) { return c.CategoryExists("News"); }},
      {"EditCategory", [](mCategories& c, mFeeds&) { return c.EditCategory("News", "Renamed"); }},
      {"DeleteCategory", [](mCategories& c, mFeeds&) { return c.DeleteCategory("News"); }},
      {"LoadCategories",
       [](mCategories& c, mFeeds&) {
         CategoryTree tree;
         const bool ok = c.LoadCategories(tree);
         EXPECT_TRUE(tree.root().children.empty()) << "the tree keeps only its root";
         EXPECT_EQ(tree.root().text, "Subscribed Feeds");
         return ok;
       }},
      {"LoadCategories",
       [](mCategories& c, mFeeds&) {
         QStringList combo{"stale"};
         const bool ok = c.LoadCategories(combo);
         EXPECT_TRUE(combo.isEmpty());
         return ok;
       }},
      {"FindCategory", [](mCategories&, mFeeds& f) { return f.FindCategory("News").has_value(); }},
      {"FeedExists", [](mCategories&, mFeeds& f) { return f.FeedExists(kRecord); }},
      {"AddFeed", [](mCategories&, mFeeds& f) { return f.AddFeed(kRecord); }},
      {"EditFeed", [](mCategories&, mFeeds& f) { return f.EditFeed(kRecord, false); }},
      {"EditFeed", [](mCategories&, mFeeds& f) { return f.EditFeed(kRecord, true, "Fine"); }},
      {"DeleteFeed", [](mCategories&, mFeeds& f) { return f.DeleteFeed(kRecord); }},
      {"FindFeed", [](mCategories&, mFeeds& f) { return f.FindFeed(kRecord.id).has_value(); }},
  };
}

// Every operation on every damaged database answers with one message, returns
// false and leaves the file exactly as it was.
TEST_F(BadInput, DamagedDatabasesAreReportedAndNeverWritten) {
  const BadFile files[] = {
      {"not XML", fixtureFile("not-xml.fdb"), Expect::Format},
      {"empty file", fixtureFile("empty.fdb"), Expect::Format},
      {"truncated", fixtureFile("truncated.fdb"), Expect::Format},
      {"no categories element", fixtureFile("no-categories.fdb"), Expect::Structure},
      {"category without attributes", fixtureFile("category-without-attributes.fdb"), Expect::RuntimeError},
      {"feed with two attributes", fixtureFile("feed-two-attributes.fdb"), Expect::RuntimeError},
      {"feed type not numeric", fixtureFile("feed-type-not-numeric.fdb"), Expect::RuntimeError},
      {"feed type beyond 16 bits",
       [] { return fixtureFile("feed-type-not-numeric.fdb")().replace("\"rss\"", "\"70000\""); }, Expect::RuntimeError},
      {"40,000 categories", [] { return manyCategories(40000); }, Expect::RuntimeError},
  };
  const QString itemStore = home.write("Data/" + kRecord.id + ".fdb", "<items/>");
  for (const BadFile& file : files) {
    const QByteArray bytes = file.bytes();
    ASSERT_FALSE(file.expect != Expect::Format && bytes.isEmpty()) << file.label;
    for (const Operation& op : operations()) {
      SCOPED_TRACE(std::string(file.label) + " x " + op.name);
      useBytes(bytes);
      messages.clear();
      mCategories cats = categories();
      mFeeds fds = feeds();
      EXPECT_FALSE(op.run(cats, fds));
      EXPECT_TRUE(db() == bytes) << "the file changed";
      ASSERT_EQ(messages.entries().size(), 1u);
      const auto& message = messages.last();
      switch (file.expect) {
        case Expect::Format:
          EXPECT_EQ(message.title, "Invalid Database File Format!");
          EXPECT_EQ(message.text,
                    "Application failed to load Feeds Database. Please reinstall application to resolve this issue.");
          EXPECT_EQ(message.icon, MessageIcon::Exclamation);
          break;
        case Expect::Structure:
          EXPECT_EQ(message.title, "Invalid Record Structure!");
          EXPECT_EQ(message.text,
                    "Appliaction failed to access Records in Database. Please reinstal application to resolve this "
                    "issue.");
          EXPECT_EQ(message.icon, MessageIcon::Exclamation);
          break;
        case Expect::RuntimeError:
          EXPECT_EQ(message.title, QString::fromLatin1(op.name) + " Function");
          EXPECT_TRUE(message.text.startsWith("Error on Line ")) << str(message.text);
          EXPECT_TRUE(message.text.contains("\r\n\r\n"));
          EXPECT_EQ(message.icon, MessageIcon::Critical);
          break;
      }
    }
  }
  EXPECT_TRUE(QFile::exists(itemStore));
}

// The index limit: a database of exactly that many categories still works,
// but AddCategory refuses to grow it past what can be read back.
TEST_F(BadInput, CategoryCountStopsAtTheIndexLimit) {
  useBytes(manyCategories(32767));
  EXPECT_TRUE(categories().CategoryExists("C32766"));
  const QByteArray before = db();
  EXPECT_FALSE(categories().AddCategory("One too many"));
  EXPECT_EQ(db(), before);
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().title, "AddCategory Function");
  EXPECT_TRUE(messages.last().text.contains("Overflow"));
}

}  // namespace
}  // namespace tidewell::test
