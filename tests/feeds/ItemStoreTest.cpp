#include "core/clsMD5.h"
#include "feeds/FeedDates.h"
#include "feeds/ItemStore.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QFile>

#include <gtest/gtest.h>

#include <pugixml.hpp>

namespace tidewell {
namespace {

FeedItem item(const QString& title, const QString& link, const QString& day = {}, const QString& time = {}) {
  FeedItem out;
  out.title = title;
  out.link = link;
  out.id = link.isEmpty() ? QString() : clsMD5().GetMD5(link);
  if (!day.isEmpty()) {
    out.day = day;
    out.month = QStringLiteral("Sep");
    out.year = QStringLiteral("2002");
    out.time = time;
  }
  out.description = QStringLiteral("<p>") + title + QStringLiteral("</p>");
  return out;
}

class ItemStoreTest : public ::testing::Test {
 protected:
  QString path() const { return home.file(QStringLiteral("Data/feed.fdb")); }
  QByteArray bytes() const { return home.read(QStringLiteral("Data/feed.fdb")); }
  ItemStore store() const { return ItemStore(path()); }
  QStringList titles() {
    QStringList out;
    const std::optional<StoredItems> loaded = store().LoadStoredItems(messages);
    if (loaded) {
      for (const StoredItem& stored : loaded->items) out << stored.title;
    }
    return out;
  }

  test::TempHome home;
  test::ScriptedMessages messages;
};

TEST_F(ItemStoreTest, CreatedOnDemandInTheFixedElementOrder) {
  FeedItem first = item(QStringLiteral("One & <two>"), QStringLiteral("http://x/1"), QStringLiteral("07"),
                        QStringLiteral("00:00:01"));
  first.media = QStringLiteral("http://x/1.mp3");
  store().AddItemToStore(first);
  store().AddItemToStore(item(QStringLiteral("Undated"), QString()));
  store().UpdateLatestMarker(QStringLiteral("20020907000001"));

  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_buffer(bytes().constData(), bytes().size()));
  pugi::xml_node data = doc.document_element();
  EXPECT_STREQ(data.name(), "data");
  EXPECT_STREQ(data.first_child().name(), "items");
  EXPECT_STREQ(data.last_child().name(), "latest");  // latest comes after items
  EXPECT_STREQ(data.child_value("latest"), "20020907000001");
  pugi::xml_node stored = data.child("items").first_child();
  EXPECT_STREQ(stored.first_attribute().name(), "id");
  EXPECT_STREQ(stored.first_attribute().value(), clsMD5().GetMD5(QStringLiteral("http://x/1")).toUtf8().constData());
  EXPECT_STREQ(stored.first_attribute().next_attribute().name(), "status");
  EXPECT_STREQ(stored.attribute("status").value(), "0");
  const char* names[] = {"title", "link", "date", "desc", "media"};
  pugi::xml_node child = stored.first_child();
  for (const char* name : names) {
    ASSERT_TRUE(child);
    EXPECT_STREQ(child.name(), name);
    child = child.next_sibling();
  }
  EXPECT_STREQ(stored.child_value("title"), "One & <two>");
  EXPECT_STREQ(stored.child_value("date"), "2002-Sep-07T00:00:01");
  EXPECT_STREQ(stored.child_value("media"), "http://x/1.mp3");
  EXPECT_STREQ(stored.next_sibling().child_value("date"), "--T");
  EXPECT_STREQ(stored.next_sibling().attribute("id").value(), "");
}

TEST_F(ItemStoreTest, BodyAndEnclosureDetailsComeAfterTheKnownElements) {
  FeedItem full =
      item(QStringLiteral("Full"), QStringLiteral("http://x/full"), QStringLiteral("07"), QStringLiteral("00:00:01"));
  full.content = QStringLiteral("<p>The whole <b>article</b></p>");
  full.media = QStringLiteral("http://x/full.mp3");
  full.mediaType = QStringLiteral("audio/mpeg");
  full.mediaLength = QStringLiteral("123456");
  FeedItem teaserOnly =
      item(QStringLiteral("Same"), QStringLiteral("http://x/same"), QStringLiteral("08"), QStringLiteral("00:00:01"));
  teaserOnly.content = teaserOnly.description;
  store().MergeNewItems({teaserOnly, full}, QString());

  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_buffer(bytes().constData(), bytes().size()));
  const pugi::xml_node stored = doc.child("data").child("items").first_child();
  const char* names[] = {"title", "link", "date", "desc", "media", "content"};
  pugi::xml_node child = stored.first_child();
  for (const char* name : names) {
    ASSERT_TRUE(child);
    EXPECT_STREQ(child.name(), name);
    child = child.next_sibling();
  }
  EXPECT_STREQ(stored.child("media").attribute("type").value(), "audio/mpeg");
  EXPECT_STREQ(stored.child("media").attribute("length").value(), "123456");
  // A body that is the description is not stored twice.
  EXPECT_FALSE(stored.next_sibling().child("content"));

  const std::optional<StoredItems> loaded = store().LoadStoredItems(messages);
  ASSERT_TRUE(loaded && loaded->items.size() == 2);
  EXPECT_EQ(loaded->items[0].body(), full.content);
  EXPECT_EQ(loaded->items[0].mediaLength, QStringLiteral("123456"));
  EXPECT_EQ(loaded->items[1].body(), teaserOnly.description);
  FeedItem info;
  ASSERT_TRUE(
      store().ItemOperation(QStringLiteral("http://x/full"), QStringLiteral("getinfo"), false, messages, &info));
  EXPECT_EQ(info.content, full.content);
  EXPECT_EQ(info.mediaType, QStringLiteral("audio/mpeg"));
  EXPECT_EQ(info.description, full.description);
}

TEST_F(ItemStoreTest, StoreWrittenBeforeBodiesStillLoads) {
  home.write(QStringLiteral("Data/feed.fdb"),
             "<?xml version=\"1.0\"?>\r\n<data><items><item id=\"" +
                 clsMD5().GetMD5(QStringLiteral("http://x/old")).toUtf8() +
                 "\" status=\"1\"><title>Old</title><link>http://x/old</link><date>2002-Sep-07T00:00:01</date>"
                 "<desc>&lt;p&gt;old description&lt;/p&gt;</desc><media>http://x/old.mp3</media></item></items>"
                 "<latest>20020907000001</latest></data>\r\n");
  const std::optional<StoredItems> loaded = store().LoadStoredItems(messages);
  ASSERT_TRUE(loaded && loaded->items.size() == 1);
  EXPECT_EQ(loaded->items[0].body(), QStringLiteral("<p>old description</p>"));
  EXPECT_EQ(loaded->items[0].mediaType, QString());
  FeedItem info;
  ASSERT_TRUE(store().ItemOperation(QStringLiteral("http://x/old"), QStringLiteral("getinfo"), false, messages, &info));
  EXPECT_EQ(info.body(), QStringLiteral("<p>old description</p>"));
  EXPECT_EQ(info.media, QStringLiteral("http://x/old.mp3"));
  // New items join it beside the old one.
  FeedItem fresh =
      item(QStringLiteral("New"), QStringLiteral("http://x/new"), QStringLiteral("08"), QStringLiteral("00:00:00"));
  fresh.content = QStringLiteral("<p>body</p>");
  EXPECT_EQ(store().MergeNewItems({fresh}, loaded->latestId).added, 1);
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("Old"), QStringLiteral("New")}));
  EXPECT_TRUE(messages.empty());
}

// A read mark changes the status and nothing else, whatever the store holds
// beside it (a star, a body, a second item with the same id), and refuses a
// damaged file as the document path does.
TEST_F(ItemStoreTest, ReadMarkChangesOnlyTheStatus) {
  FeedItem one =
      item(QStringLiteral("One"), QStringLiteral("http://x/1"), QStringLiteral("07"), QStringLiteral("00:00:01"));
  one.content = QStringLiteral("<p>id=\"") + one.id + QStringLiteral("\" status=\"0\"</p>");
  FeedItem twin =
      item(QStringLiteral("Twin"), QStringLiteral("http://x/1"), QStringLiteral("08"), QStringLiteral("00:00:01"));
  store().MergeNewItems({twin, one}, QString());
  QByteArray starred = bytes();
  starred.replace("status=\"0\"><title>Twin", "status=\"0\" starred=\"1\"><title>Twin");
  home.write(QStringLiteral("Data/feed.fdb"), starred);

  ASSERT_TRUE(store().ItemOperation(ItemRef{one.id, 1}, QStringLiteral("read"), false, messages));
  QByteArray expected = starred;
  expected.replace("status=\"0\" starred=\"1\">", "status=\"1\" starred=\"1\">");
  EXPECT_EQ(bytes(), expected);
  ASSERT_TRUE(store().ItemOperation(ItemRef{one.id, 1}, QStringLiteral("read"), false, messages));
  EXPECT_EQ(bytes(), expected);
  ASSERT_TRUE(store().ItemOperation(ItemRef{one.id, 0}, QStringLiteral("read"), false, messages));
  const std::optional<StoredItems> loaded = store().LoadStoredItems(messages);
  ASSERT_TRUE(loaded && loaded->items.size() == 2);
  EXPECT_EQ(loaded->items[0].status, QStringLiteral("1"));
  EXPECT_EQ(loaded->items[0].content, one.content);
  EXPECT_EQ(loaded->items[1].status, QStringLiteral("1"));
  EXPECT_FALSE(store().ItemOperation(ItemRef{one.id, 2}, QStringLiteral("read"), false, messages));
  EXPECT_TRUE(messages.empty());

  // Cut short (a copy from a full disk): refused with the document path's message.
  const QByteArray cut = bytes().left(bytes().indexOf("</items>"));
  home.write(QStringLiteral("Data/feed.fdb"), cut);
  EXPECT_FALSE(store().ItemOperation(ItemRef{one.id, 0}, QStringLiteral("unread"), false, messages));
  EXPECT_EQ(messages.last().text, QStringLiteral("Failed to load the Feed Data file details."));
  EXPECT_EQ(bytes(), cut);
}

TEST_F(ItemStoreTest, LatestOnlyStoreHasNoItems) {
  store().UpdateLatestMarker(QStringLiteral("20020907000001"));
  EXPECT_EQ(store().ReadLatestId(), QStringLiteral("20020907000001"));
  EXPECT_FALSE(store().LoadStoredItems(messages).has_value());
  EXPECT_EQ(messages.last().title, QStringLiteral("Invalid File format!"));
  EXPECT_EQ(messages.last().text, QStringLiteral("Application failed to access Records in Feed Data file!"));
  // Appending to it does nothing, quietly.
  const QByteArray before = bytes();
  store().AddItemToStore(item(QStringLiteral("x"), QStringLiteral("http://x")));
  EXPECT_EQ(bytes(), before);
}

TEST_F(ItemStoreTest, MergeWalksFromTheLastParsedItemAndSavesOnce) {
  // A feed listed newest first: the new items are stored oldest first.
  const FeedItems parsed = {
      item(QStringLiteral("Newest"), QStringLiteral("http://x/3"), QStringLiteral("09"), QStringLiteral("10:00:00")),
      item(QStringLiteral("Middle"), QStringLiteral("http://x/2"), QStringLiteral("08"), QStringLiteral("10:00:00")),
      item(QStringLiteral("Oldest"), QStringLiteral("http://x/1"), QStringLiteral("07"), QStringLiteral("10:00:00")),
  };
  MergeResult merged = store().MergeNewItems(parsed, QString());
  EXPECT_EQ(merged.added, 3);
  EXPECT_TRUE(merged.saved);
  EXPECT_EQ(merged.latestId, QStringLiteral("20020909100000"));
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("Oldest"), QStringLiteral("Middle"), QStringLiteral("Newest")}));
  EXPECT_EQ(store().ReadLatestId(), QStringLiteral("20020909100000"));

  // The same download again adds nothing and keeps the latest id; the file is untouched.
  const QByteArray before = bytes();
  merged = store().MergeNewItems(parsed, store().ReadLatestId());
  EXPECT_EQ(merged.added, 0);
  EXPECT_FALSE(merged.saved);
  EXPECT_EQ(bytes(), before);

  // An item of the same second as the latest id is not new; one second later is.
  const FeedItems next = {
      item(QStringLiteral("Later"), QStringLiteral("http://x/5"), QStringLiteral("09"), QStringLiteral("10:00:01")),
      item(QStringLiteral("Same second"), QStringLiteral("http://x/4"), QStringLiteral("09"),
           QStringLiteral("10:00:00")),
  };
  merged = store().MergeNewItems(next, store().ReadLatestId());
  EXPECT_EQ(merged.added, 1);
  EXPECT_EQ(merged.addedItems.front().title, QStringLiteral("Later"));

  // Out of order: the walk accepts an item only when it beats every one accepted before it.
  const FeedItems mixed = {
      item(QStringLiteral("A"), QStringLiteral("http://y/a"), QStringLiteral("20"), QStringLiteral("00:00:00")),
      item(QStringLiteral("B"), QStringLiteral("http://y/b"), QStringLiteral("25"), QStringLiteral("00:00:00")),
      item(QStringLiteral("C"), QStringLiteral("http://y/c"), QStringLiteral("22"), QStringLiteral("00:00:00")),
  };
  merged = store().MergeNewItems(mixed, store().ReadLatestId());
  ASSERT_EQ(merged.added, 2);
  EXPECT_EQ(merged.addedItems[0].title, QStringLiteral("C"));
  EXPECT_EQ(merged.addedItems[1].title, QStringLiteral("B"));
  EXPECT_EQ(store().ReadLatestId(), QStringLiteral("20020925000000"));
}

// Undated feeds: with a blank latest id every item is new, so each check
// would store them all again; an item already stored by id is not.
TEST_F(ItemStoreTest, BlankLatestDoesNotStoreKnownItemsAgain) {
  const FeedItems undated = {item(QStringLiteral("A"), QStringLiteral("http://u/a")),
                             item(QStringLiteral("B"), QStringLiteral("http://u/b")),
                             item(QStringLiteral("Twin"), QStringLiteral("http://u/a"))};
  MergeResult merged = store().MergeNewItems(undated, store().ReadLatestId());
  EXPECT_EQ(merged.added, 2);  // the twin of A shares its id
  merged = store().MergeNewItems(undated, store().ReadLatestId());
  EXPECT_EQ(merged.added, 0);
  const FeedItems more = {item(QStringLiteral("C"), QStringLiteral("http://u/c")),
                          item(QStringLiteral("A"), QStringLiteral("http://u/a"))};
  merged = store().MergeNewItems(more, store().ReadLatestId());
  EXPECT_EQ(merged.added, 1);
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("Twin"), QStringLiteral("B"), QStringLiteral("C")}));
}

TEST_F(ItemStoreTest, OperationsFindTheExactItem) {
  // Two items share a link and two have none: each is reachable by id and occurrence.
  store().AddItemToStore(item(QStringLiteral("First"), QStringLiteral("http://d/1")));
  store().AddItemToStore(item(QStringLiteral("No link 1"), QString()));
  store().AddItemToStore(item(QStringLiteral("Second"), QStringLiteral("http://d/1")));
  store().AddItemToStore(item(QStringLiteral("No link 2"), QString()));
  store().UpdateLatestMarker(QStringLiteral("20020101000000"));

  std::optional<StoredItems> stored = store().LoadStoredItems(messages);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->latestId, QStringLiteral("20020101000000"));
  ASSERT_EQ(stored->items.size(), 4u);
  EXPECT_EQ(stored->items[2].occurrence, 1);
  EXPECT_EQ(stored->items[3].occurrence, 1);

  FeedItem info;
  QString latest;
  EXPECT_TRUE(store().ItemOperation(stored->items[3].ref(), QStringLiteral("getinfo"), true, messages, &info, &latest));
  EXPECT_EQ(info.title, QStringLiteral("No link 2"));
  EXPECT_EQ(info.year, QStringLiteral(""));
  EXPECT_EQ(latest, QStringLiteral("20020101000000"));
  EXPECT_TRUE(store().ItemOperation(stored->items[2].ref(), QStringLiteral("read"), false, messages));
  EXPECT_TRUE(store().ItemOperation(stored->items[2].ref(), QStringLiteral("unread"), false, messages));
  EXPECT_TRUE(store().ItemOperation(stored->items[2].ref(), QStringLiteral("read"), false, messages));
  EXPECT_TRUE(store().ItemOperation(QStringLiteral("http://d/1"), QStringLiteral("check"), false, messages));
  EXPECT_FALSE(store().ItemOperation(QStringLiteral("http://nowhere"), QStringLiteral("read"), false, messages));
  EXPECT_FALSE(store().ItemOperation(ItemRef{QString(), 2}, QStringLiteral("read"), false, messages));

  stored = store().LoadStoredItems(messages);
  QStringList statuses;
  for (const StoredItem& s : stored->items) statuses << s.status;
  EXPECT_EQ(statuses,
            (QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1")}));

  // Deleting by link removes the first match only.
  EXPECT_TRUE(store().ItemOperation(QStringLiteral("http://d/1"), QStringLiteral("del"), false, messages));
  EXPECT_EQ(titles(),
            (QStringList{QStringLiteral("No link 1"), QStringLiteral("Second"), QStringLiteral("No link 2")}));
  EXPECT_TRUE(store().ItemOperation(ItemRef{QString(), 1}, QStringLiteral("del"), false, messages));
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("No link 1"), QStringLiteral("Second")}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(ItemStoreTest, DamagedOrMissingStoresAreReportedAndLeftAlone) {
  struct Case {
    QByteArray content;  // empty: no file
    const char* title;
    const char* text;
  };
  const Case cases[] = {
      {{},
       "Feed Data file is missing!",
       "Application failed to access Feed Data file. Item details cannot be fetched."},
      {"this is not XML <", "Invalid File format!", "Failed to load the Feed Data file details."},
      {"<data><latest>1</latest></data>", "Invalid File format!",
       "Application failed to access Records in Feed Data file!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    QFile::remove(path());
    if (!c.content.isEmpty()) home.write(QStringLiteral("Data/feed.fdb"), c.content);
    messages.clear();
    EXPECT_FALSE(store().ItemOperation(QStringLiteral("http://x"), QStringLiteral("del"), false, messages));
    ASSERT_EQ(messages.entries().size(), 1u);
    EXPECT_EQ(messages.last().title, QString::fromUtf8(c.title));
    EXPECT_EQ(messages.last().text, QString::fromUtf8(c.text));
    EXPECT_EQ(messages.last().icon, MessageIcon::Exclamation);
    // The merge changes nothing either.
    (void)store().MergeNewItems(
        {item(QStringLiteral("n"), QStringLiteral("http://n"), QStringLiteral("01"), QStringLiteral("00:00:00"))},
        QString());
    if (!c.content.isEmpty() && c.content.startsWith("this")) {
      EXPECT_EQ(bytes(), c.content);
    }
  }
  // A missing store lists as empty, without a message.
  QFile::remove(path());
  messages.clear();
  std::optional<StoredItems> none = store().LoadStoredItems(messages);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->items.empty());
  EXPECT_TRUE(messages.empty());
}

// A hostile store (deep nesting inside an item) loads, lists and saves without
// exhausting the stack.
TEST_F(ItemStoreTest, DeeplyNestedStoreIsHandled) {
  const int depth = 100000;
  home.write(QStringLiteral("Data/feed.fdb"),
             "<data><items><item id=\"\" status=\"0\"><title>t</title><link/>"
             "<date>--T</date><desc>" +
                 QByteArray("<x>").repeated(depth) + "deep" + QByteArray("</x>").repeated(depth) +
                 "</desc><media/></item></items></data>");
  std::optional<StoredItems> stored = store().LoadStoredItems(messages);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->items.at(0).description, QStringLiteral("deep"));
  EXPECT_TRUE(store().ItemOperation(ItemRef{}, QStringLiteral("read"), false, messages));
  stored = store().LoadStoredItems(messages);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->items.at(0).status, QStringLiteral("1"));
}

TEST_F(ItemStoreTest, CacheValidatorsStayAfterTheKnownElements) {
  const CacheValidators validators{"\"v1\"", "Sat, 07 Sep 2002 00:00:01 GMT"};
  MergeResult merged = store().MergeNewItems({}, QString(), &validators);
  EXPECT_TRUE(merged.saved);
  EXPECT_EQ(store().ReadCacheValidators(), validators);
  merged = store().MergeNewItems(
      {item(QStringLiteral("a"), QStringLiteral("http://a"), QStringLiteral("01"), QStringLiteral("00:00:00"))},
      QString(), &validators);
  EXPECT_EQ(merged.added, 1);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_buffer(bytes().constData(), bytes().size()));
  QStringList order;
  for (pugi::xml_node n : doc.document_element().children()) order << QString::fromUtf8(n.name());
  EXPECT_EQ(order, (QStringList{QStringLiteral("items"), QStringLiteral("latest"), QStringLiteral("http")}));
  EXPECT_TRUE(store().WriteCacheValidators({}));
  EXPECT_EQ(store().ReadCacheValidators(), CacheValidators{});
}

TEST_F(ItemStoreTest, LegacyEncodedStoreIsReadAndRewrittenAsUtf8) {
  home.write(QStringLiteral("Data/feed.fdb"),
             "<?xml version=\"1.0\" encoding=\"windows-1252\"?><data><items><item id=\"\" status=\"0\"><title>Caf\xe9"
             "</title><link/><date>--T</date><desc/><media/></item></items></data>");
  EXPECT_EQ(titles(), QStringList{QStringLiteral("Caf\u00e9")});
  EXPECT_TRUE(store().ItemOperation(ItemRef{}, QStringLiteral("read"), false, messages));
  EXPECT_TRUE(bytes().contains("Caf\xc3\xa9"));
  EXPECT_FALSE(bytes().contains("windows-1252"));
  EXPECT_EQ(titles(), QStringList{QStringLiteral("Caf\u00e9")});
}

}  // namespace
}  // namespace tidewell
