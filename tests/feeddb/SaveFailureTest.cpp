#include "FeedDbFixture.h"

#include <QDir>

#include <sys/resource.h>
#include <unistd.h>
#include <csignal>

namespace tidewell::test {
namespace {

using SaveFailure = FeedDbFixture;

// Writes past this size fail as on a full disk (EFBIG instead of ENOSPC),
// for root as for anyone; the limit is lifted again on scope exit.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  bool active() const { return active_; }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
  bool active_ = false;
};

void expectSaveReport(const ScriptedMessages& messages, const QString& operation) {
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().title, operation + " Function");
  EXPECT_TRUE(messages.last().text.startsWith("Error on Line 5\r\n\r\n")) << str(messages.last().text);
  EXPECT_EQ(messages.last().icon, MessageIcon::Critical);
}

TEST_F(SaveFailure, FullDiskKeepsThePreviousFileWhole) {
  useFixture("sample.fdb");
  const QByteArray before = db();
  const FeedRecord feed{"Science", "https://new.example/", FeedType::ATOM, "AAAAAAAA-0000-0000-0000-00000000000F",
                        "New"};
  struct Case {
    const char* operation;
    std::function<bool()> run;
  } const cases[] = {
      {"AddCategory", [&] { return categories().AddCategory("A category that does not fit"); }},
      {"EditCategory", [&] { return categories().EditCategory("Science", "Science and everything else"); }},
      {"AddFeed", [&] { return feeds().AddFeed(feed); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operation);
    messages.clear();
    bool ok = true;
    {
      FileSizeLimit limit(static_cast<rlim_t>(before.size()));
      ASSERT_TRUE(limit.active());
      ok = c.run();
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(db(), before);
    expectSaveReport(messages, c.operation);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList({"feeds.fdb"}));
  }
}

TEST_F(SaveFailure, DeleteFeedKeepsTheItemStoreWhenTheSaveFails) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  useFixture("sample.fdb");
  const QString store = home.write("Data/330B0EE3-1D99-4938-ACCE-30808E2C6945.fdb", "<items/>");
  const QByteArray before = db();
  QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::ExeOwner);
  const bool ok = feeds().DeleteFeed({"news", "", FeedType::RSS, "330B0EE3-1D99-4938-ACCE-30808E2C6945", ""});
  QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_FALSE(ok);
  EXPECT_EQ(db(), before);
  EXPECT_TRUE(QFile::exists(store));
  expectSaveReport(messages, "DeleteFeed");
}

TEST_F(SaveFailure, DeleteFeedKeepsTheItemStoreOnAFullDisk) {
  useFixture("sample.fdb");
  const QString store = home.write("Data/330B0EE3-1D99-4938-ACCE-30808E2C6945.fdb", "<items/>");
  const QByteArray before = db();
  bool ok = true;
  {
    FileSizeLimit limit(16);  // smaller than the shrunk database
    ok = feeds().DeleteFeed({"news", "", FeedType::RSS, "330B0EE3-1D99-4938-ACCE-30808E2C6945", ""});
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(db(), before);
  EXPECT_TRUE(QFile::exists(store));
  expectSaveReport(messages, "DeleteFeed");
}

TEST_F(SaveFailure, DatabaseThatCannotBeCreatedIsReportedByEveryOperation) {
  // The application folder's path runs through a plain file.
  home.write("not-a-folder", "x");
  const AppPaths paths(home.file("not-a-folder/app"), {});
  mCategories cats(paths, messages);
  mFeeds fds(paths, messages);
  CategoryTree tree;
  const FeedRecord feed{"News", "u", FeedType::RSS, "1-1", "n"};
  EXPECT_FALSE(cats.AddCategory("News"));
  EXPECT_FALSE(cats.CategoryExists("News"));
  EXPECT_FALSE(cats.LoadCategories(tree));
  EXPECT_FALSE(fds.AddFeed(feed));
  EXPECT_FALSE(fds.DeleteFeed(feed));
  EXPECT_EQ(messages.titles(), QStringList({"AddCategory Function", "CategoryExists Function",
                                            "LoadCategories Function", "AddFeed Function", "DeleteFeed Function"}));
  for (const auto& entry : messages.entries()) {
    EXPECT_TRUE(entry.text.startsWith("Error on Line 1\r\n\r\n")) << str(entry.text);
  }
  EXPECT_EQ(tree.root().children.size(), 0u);
}

}  // namespace
}  // namespace tidewell::test
