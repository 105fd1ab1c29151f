#include "FeedDbFixture.h"

#include "feeddb/CategoryTree.h"
#include "feeddb/FeedDbTexts.h"

namespace tidewell::test {
namespace {

using CategoryOperations = FeedDbFixture;

TEST_F(CategoryOperations, MissingFileIsCreatedEmptyByEveryOperation) {
  ASSERT_FALSE(QFile::exists(home.file("feeds.fdb")));
  EXPECT_FALSE(categories().CategoryExists("News"));
  EXPECT_TRUE(QFile::exists(home.file("feeds.fdb")));
  EXPECT_EQ(dbText().trimmed(), "<categories/>");

  QFile::remove(home.file("feeds.fdb"));
  CategoryTree tree;
  EXPECT_TRUE(categories().LoadCategories(tree));
  EXPECT_EQ(tree.root().key, "main");
  EXPECT_EQ(tree.root().text, "Subscribed Feeds");
  EXPECT_EQ(tree.root().image, 1);
  EXPECT_TRUE(tree.root().children.empty());

  QFile::remove(home.file("feeds.fdb"));
  EXPECT_TRUE(categories().AddCategory("First"));
  EXPECT_EQ(dbText(), "<categories><category name=\"First\"/></categories>");
  EXPECT_TRUE(messages.empty());
}

TEST_F(CategoryOperations, AddingTheSameNameTwiceGivesTwoCategoriesBothShown) {
  ASSERT_TRUE(categories().AddCategory("News"));
  ASSERT_TRUE(categories().AddCategory("News"));
  EXPECT_EQ(dbText().count("<category name=\"News\""), 2);
  CategoryTree tree;
  ASSERT_TRUE(categories().LoadCategories(tree));
  ASSERT_EQ(tree.root().children.size(), 2u);
  EXPECT_EQ(tree.root().children[0].key, "cat_0");
  EXPECT_EQ(tree.root().children[1].key, "cat_1");
}

TEST_F(CategoryOperations, ExistsMatchesNamesCaseInsensitively) {
  useFixture("sample.fdb");
  EXPECT_TRUE(categories().CategoryExists("NEWS"));
  EXPECT_TRUE(categories().CategoryExists("technology"));
  EXPECT_TRUE(categories().CategoryExists("Empty"));
  EXPECT_FALSE(categories().CategoryExists("New"));
  EXPECT_FALSE(categories().CategoryExists(""));
  EXPECT_TRUE(messages.empty());
}

TEST_F(CategoryOperations, EditRenamesOnlyTheNameAndKeepsFeedsInOrder) {
  useFixture("sample.fdb");
  const QByteArray before = db();
  ASSERT_TRUE(categories().EditCategory("TECHNOLOGY", "Tech & Gadgets"));
  QByteArray expected = before;
  expected.replace("<category name=\"Technology\">", "<category name=\"Tech &amp; Gadgets\">");
  EXPECT_EQ(db(), expected);
  EXPECT_TRUE(categories().CategoryExists("tech & gadgets"));

  // No match: false, no message, no write.
  const QByteArray renamed = db();
  EXPECT_FALSE(categories().EditCategory("Nowhere", "Else"));
  EXPECT_EQ(db(), renamed);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CategoryOperations, EditAndDeleteTakeTheFirstOfTwoEqualNames) {
  useBytes(
      "<categories><category name=\"A\"><feed name=\"x\" type=\"0\" id=\"1-1\">u</feed></category>"
      "<category name=\"a\"/></categories>");
  ASSERT_TRUE(categories().EditCategory("a", "B"));
  EXPECT_EQ(dbText(),
            "<categories><category name=\"B\"><feed name=\"x\" type=\"0\" id=\"1-1\">u</feed></category>"
            "<category name=\"a\"/></categories>");
  ASSERT_TRUE(categories().DeleteCategory("A"));
  EXPECT_EQ(dbText(),
            "<categories><category name=\"B\"><feed name=\"x\" type=\"0\" id=\"1-1\">u</feed></category>"
            "</categories>");
}

TEST_F(CategoryOperations, DeleteRemovesTheFeedsButLeavesTheirItemStores) {
  useFixture("sample.fdb");
  const QString store = home.write("Data/330B0EE3-1D99-4938-ACCE-30808E2C6945.fdb", "<items/>");
  ASSERT_TRUE(categories().DeleteCategory("News"));
  EXPECT_FALSE(dbText().contains("330B0EE3"));
  EXPECT_FALSE(dbText().contains("name=\"news\""));
  EXPECT_TRUE(dbText().contains("name=\"Technology\""));
  EXPECT_TRUE(QFile::exists(store));

  const QByteArray after = db();
  EXPECT_FALSE(categories().DeleteCategory("News"));
  EXPECT_EQ(db(), after);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CategoryOperations, TreeSortsCategoriesKeepsFeedOrderAndSkipsOtherChildren) {
  useFixture("sample.fdb");
  CategoryTree tree;
  ASSERT_TRUE(categories().LoadCategories(tree));
  const auto& cats = tree.root().children;
  ASSERT_EQ(cats.size(), 4u);
  // Alphabetical, whatever the letter case; keys keep the file position.
  EXPECT_EQ(cats[0].text, "Empty");
  EXPECT_EQ(cats[0].key, "cat_3");
  EXPECT_EQ(cats[1].text, "news");
  EXPECT_EQ(cats[1].key, "cat_1");
  EXPECT_EQ(cats[2].text, "Science");
  EXPECT_EQ(cats[3].text, "Technology");
  EXPECT_EQ(cats[3].key, "cat_0");
  for (const auto& cat : cats) EXPECT_EQ(cat.image, 2);

  // File order inside a category; the <note> child is not a feed.
  const auto& tech = cats[3].children;
  ASSERT_EQ(tech.size(), 3u);
  EXPECT_EQ(tech[0].text, "Ars Technica");
  EXPECT_EQ(tech[1].text, "The Verge");
  EXPECT_EQ(tech[1].image, 4);
  EXPECT_EQ(tech[1].key, "796A7FE4-E719-4830-814F-EBFCC521DFF1");
  EXPECT_EQ(tech[1].tag, "https://www.theverge.com/rss/index.xml");
  EXPECT_EQ(tech[2].text, "Hacker News");
  EXPECT_EQ(tech[0].image, 3);

  // A podcast (type 2) is image 5; entities are decoded.
  ASSERT_EQ(cats[2].children.size(), 1u);
  EXPECT_EQ(cats[2].children[0].image, 5);
  EXPECT_EQ(cats[2].children[0].text, "Short Wave & Co");
  EXPECT_EQ(cats[2].children[0].tag, "https://feeds.npr.org/510351/podcast.xml?a=1&b=2");

  // Node kinds by key, as the tree's handlers tell them.
  EXPECT_TRUE(CategoryTree::isRootKey(tree.root().key));
  EXPECT_TRUE(CategoryTree::isCategoryKey(cats[0].key));
  EXPECT_TRUE(CategoryTree::isFeedKey(tech[0].key));
  ASSERT_NE(tree.parentOf(tech[0].key), nullptr);
  EXPECT_EQ(tree.parentOf(tech[0].key)->text, "Technology");
  EXPECT_EQ(tree.parentOf(cats[0].key), &tree.root());

  // The combo box takes the names in file order.
  QStringList combo{"stale"};
  ASSERT_TRUE(categories().LoadCategories(combo));
  EXPECT_EQ(combo, QStringList({"Technology", "news", "Science", "Empty"}));
  EXPECT_EQ(tree.categoryNamesInFileOrder(), combo);
}

TEST_F(CategoryOperations, NestedCategoriesElementIsFoundAndKeptInPlace) {
  useFixture("nested.fdb");
  EXPECT_TRUE(categories().CategoryExists("nested"));
  CategoryTree tree;
  ASSERT_TRUE(categories().LoadCategories(tree));
  ASSERT_EQ(tree.root().children.size(), 1u);
  EXPECT_EQ(tree.root().children[0].children.at(0).image, 4);
  ASSERT_TRUE(categories().AddCategory("Added"));
  EXPECT_EQ(dbText(),
            "<database version=\"2\"><meta/><categories><category name=\"Nested\"><feed name=\"Inner\" type=\"1\" "
            "id=\"11111111-2222-3333-4444-555555555555\">https://example.org/atom.xml</feed></category>"
            "<category name=\"Added\"/></categories></database>");
  EXPECT_TRUE(messages.empty());
}

TEST_F(CategoryOperations, LegacyBytesAreReadAsWindows1252AndSavedAsUtf8) {
  useFixture("legacy-1252.fdb");
  EXPECT_TRUE(categories().CategoryExists(QString::fromUtf8("CAFÉ €")));
  ASSERT_TRUE(categories().AddCategory(QString::fromUtf8("Ünïcode")));
  EXPECT_TRUE(dbText().contains(QString::fromUtf8("<category name=\"Café €\"><feed name=\"Résumé\"")));
  EXPECT_TRUE(dbText().contains(QString::fromUtf8("<category name=\"Ünïcode\"/>")));
}

TEST_F(CategoryOperations, NamesXmlCannotHoldAreRefusedBeforeWriting) {
  useFixture("sample.fdb");
  const QByteArray before = db();
  EXPECT_FALSE(categories().AddCategory(QStringLiteral("bad\x01name")));
  EXPECT_FALSE(categories().EditCategory("News", QString("cut") + QChar(0) + "short"));
  EXPECT_EQ(db(), before);
  ASSERT_EQ(messages.entries().size(), 2u);
  EXPECT_EQ(messages.titles(), QStringList({"AddCategory Function", "EditCategory Function"}));
  EXPECT_TRUE(messages.last().text.startsWith("Error on Line "));
  EXPECT_EQ(messages.last().icon, MessageIcon::Critical);

  // Quotes, ampersands, angle brackets and line breaks survive a round trip.
  const QString odd = QStringLiteral("\"<Q&A>\"\tline\nbreak");
  ASSERT_TRUE(categories().AddCategory(odd));
  QStringList combo;
  ASSERT_TRUE(categories().LoadCategories(combo));
  EXPECT_EQ(combo.last(), odd);
}

}  // namespace
}  // namespace tidewell::test
