#include "FeedDbFixture.h"

#include "feeddb/CategoryTreeEditor.h"

namespace tidewell::test {
namespace {

using Outcome = CategoryTreeEditor::Outcome;

class CategoryTreeEditorTest : public FeedDbFixture {
 protected:
  void SetUp() override { useFixture("sample.fdb"); }
  CategoryTreeEditor editor() { return CategoryTreeEditor(home.paths(), messages); }
  FeedRecord verge() { return *feeds().FindFeed("796A7FE4-E719-4830-814F-EBFCC521DFF1"); }
};

TEST_F(CategoryTreeEditorTest, LabelEditsThatChangeNothingAreCancelledWithoutWriting) {
  const QByteArray before = db();
  struct Case {
    const char* current;
    const char* typed;
  } const cases[] = {{"Science", ""}, {"Science", "   "}, {"Science", "SCIENCE"}, {"Science", "Science"}};
  for (const auto& c : cases) {
    EXPECT_EQ(editor().RenameCategory(c.current, c.typed), Outcome::Cancelled) << c.typed;
  }
  EXPECT_EQ(editor().RenameFeed(verge(), "the verge"), Outcome::Cancelled);
  EXPECT_EQ(db(), before);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CategoryTreeEditorTest, ANameAnotherCategoryHasIsRefusedForCategoriesAndFeeds) {
  const QByteArray before = db();
  EXPECT_EQ(editor().RenameCategory("Science", "NEWS"), Outcome::Refused);
  EXPECT_EQ(editor().RenameFeed(verge(), "empty"), Outcome::Refused);
  EXPECT_EQ(db(), before);
  ASSERT_EQ(messages.entries().size(), 2u);
  for (const auto& entry : messages.entries()) {
    EXPECT_EQ(entry.title, "Category Exists!");
    EXPECT_EQ(entry.text, "Category with same Name already exists. Try some other Category Name ...");
    EXPECT_EQ(entry.icon, MessageIcon::Exclamation);
  }
}

TEST_F(CategoryTreeEditorTest, RenamesGoThroughAndAStaleCategoryGivesAlert) {
  EXPECT_EQ(editor().RenameCategory("Science", "Sciences"), Outcome::Done);
  EXPECT_TRUE(categories().CategoryExists("Sciences"));
  EXPECT_EQ(editor().RenameFeed(verge(), "Verge"), Outcome::Done);
  EXPECT_EQ(feeds().FindFeed("796A7FE4-E719-4830-814F-EBFCC521DFF1")->name, "Verge");
  EXPECT_TRUE(messages.empty());

  EXPECT_EQ(editor().RenameCategory("Vanished", "Other"), Outcome::Refused);
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().title, "Alert!");
  EXPECT_EQ(messages.last().text,
            "Application failed to access Category named \"Vanished\" in database. Edit operation failed. Please "
            "Refresh Category tree and try again ...");
}

TEST_F(CategoryTreeEditorTest, MoveAsksAndRefusesATargetWithTheSameNameOrUrl) {
  const QByteArray before = db();
  // Own category: nothing happens, nothing is asked.
  EXPECT_EQ(editor().MoveFeed(verge(), "Technology"), Outcome::Cancelled);
  EXPECT_TRUE(messages.empty());

  // Answered No.
  EXPECT_EQ(editor().MoveFeed(verge(), "Science"), Outcome::Cancelled);
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().kind, ScriptedMessages::Kind::YesNo);
  EXPECT_EQ(messages.last().title, "Change Category?");
  EXPECT_EQ(messages.last().text,
            "Are you sure you want to move selected Feed from \"Technology\" to \"Science\" category?");
  EXPECT_EQ(db(), before);

  // The target has a feed of the same name (another URL), or the same URL.
  for (const QByteArray& clash :
       {QByteArray("<feed name=\"THE VERGE\" type=\"0\" id=\"C-1\">https://else.example/</feed>"),
        QByteArray("<feed name=\"Else\" type=\"0\" id=\"C-2\">https://www.theverge.com/rss/index.xml</feed>")}) {
    useBytes(
        QByteArray(before).replace("<category name=\"Empty\"/>", "<category name=\"Empty\">" + clash + "</category>"));
    const QByteArray withClash = db();
    messages.clear();
    messages.answerYesNo(true);
    EXPECT_EQ(editor().MoveFeed(verge(), "Empty"), Outcome::Refused);
    ASSERT_EQ(messages.entries().size(), 2u);
    EXPECT_EQ(messages.last().title, "Feed already Exists!");
    EXPECT_EQ(messages.last().text, "Feed with same URL already exists under category \"Empty\".");
    EXPECT_EQ(messages.last().icon, MessageIcon::Information);
    EXPECT_EQ(db(), withClash);
  }

  useBytes(before);
  messages.clear();
  messages.answerYesNo(true);
  EXPECT_EQ(editor().MoveFeed(verge(), "Empty"), Outcome::Done);
  EXPECT_EQ(verge().category, "Empty");
  EXPECT_EQ(messages.entries().size(), 1u);
}

}  // namespace
}  // namespace tidewell::test
