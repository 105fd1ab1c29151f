// Times every feed database operation on a database of 1,000 categories and
// 10,000 feeds and prints a table (milliseconds per call, including the load,
// the record check and, for changes, the atomic save). Run on a Release build.

#include "core/AppPaths.h"
#include "core/UserMessages.h"
#include "feeddb/CategoryTree.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tidewell;

namespace {

constexpr int kCategories = 1000;
constexpr int kFeedsPerCategory = 10;
constexpr int kRuns = 20;  // even: the alternating renames and moves end where they began
constexpr double kTargetMs = 30.0;

// Any message means the benchmark is measuring a failure: stop.
class NoMessages : public UserMessages {
 public:
  void showMessage(const QString& text, const QString& title, MessageIcon) override { fail(title, text); }
  bool askYesNo(const QString& text, const QString& title) override { return fail(title, text); }
  bool askRetryCancel(const QString& text, const QString& title, MessageIcon) override { return fail(title, text); }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }

 private:
  static bool fail(const QString& title, const QString& text) {
    std::fprintf(stderr, "unexpected message: %s: %s\n", qPrintable(title), qPrintable(text));
    std::exit(1);
  }
};

QString feedId(int category, int feed) {
  return QStringLiteral("%1-0000-4000-8000-%2")
      .arg(category, 8, 16, QLatin1Char('0'))
      .arg(feed, 12, 16, QLatin1Char('0'))
      .toUpper();
}

QByteArray database() {
  QByteArray bytes = "<categories>";
  for (int c = 0; c < kCategories; ++c) {
    bytes += "<category name=\"Category " + QByteArray::number(c) + "\">";
    for (int f = 0; f < kFeedsPerCategory; ++f) {
      bytes += "<feed name=\"Feed " + QByteArray::number(c) + "." + QByteArray::number(f) + "\" type=\"" +
               QByteArray::number(f % 3) + "\" id=\"" + feedId(c, f).toLatin1() + "\">https://feeds" +
               QByteArray::number(c) + ".example.org/" + QByteArray::number(f) + "/rss.xml</feed>";
    }
    bytes += "</category>";
  }
  return bytes + "</categories>";
}

FeedRecord feed(int category, int f) {
  return FeedRecord{QStringLiteral("Category %1").arg(category),
                    QStringLiteral("https://feeds%1.example.org/%2/rss.xml").arg(category).arg(f),
                    static_cast<FeedType>(f % 3), feedId(category, f),
                    QStringLiteral("Feed %1.%2").arg(category).arg(f)};
}

struct Row {
  const char* name;
  std::function<void(int run)> prepare;  // untimed
  std::function<bool(int run)> timed;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const AppPaths paths(dir.path(), {});
  {
    QFile file(paths.feedsDb());
    if (!file.open(QIODevice::WriteOnly) || file.write(database()) < 0) return 1;
  }
  NoMessages messages;
  mCategories categories(paths, messages);
  mFeeds feeds(paths, messages);
  const int last = kCategories - 1;

  const std::vector<Row> rows = {
      {"CategoryExists (last category)", nullptr,
       [&](int) { return categories.CategoryExists(QStringLiteral("CATEGORY %1").arg(last)); }},
      {"FeedExists (no match, 10 feeds)", nullptr,
       [&](int) {
         FeedRecord r = feed(last, 0);
         r.name = QStringLiteral("Nobody");
         r.url = QStringLiteral("https://nowhere.example/");
         return !feeds.FeedExists(r);
       }},
      {"FindFeed (last feed)", nullptr, [&](int) { return feeds.FindFeed(feedId(last, 9)).has_value(); }},
      {"AddCategory", nullptr, [&](int run) { return categories.AddCategory(QStringLiteral("Added %1").arg(run)); }},
      {"EditCategory (last category)", nullptr,
       [&](int run) {
         return categories.EditCategory(run % 2 ? QStringLiteral("Renamed") : QStringLiteral("Category %1").arg(last),
                                        run % 2 ? QStringLiteral("Category %1").arg(last) : QStringLiteral("Renamed"));
       }},
      {"AddFeed (last category)", nullptr,
       [&](int run) {
         FeedRecord r = feed(last, 100 + run);
         return feeds.AddFeed(r);
       }},
      {"EditFeed (in place)", nullptr,
       [&](int run) {
         FeedRecord r = feed(last - 1, 5);
         r.name = QStringLiteral("Edited %1").arg(run);
         return feeds.EditFeed(r, false);
       }},
      {"EditFeed (move)", nullptr,
       [&](int run) {
         // The same feed goes to the end of category 0 and back.
         FeedRecord r = feed(last / 2, 3);
         if (run % 2) r.category = QStringLiteral("Category 0");
         return feeds.EditFeed(r, true, QStringLiteral("Category %1").arg(run % 2 ? last / 2 : 0));
       }},
      {"DeleteFeed", [&](int run) { feeds.AddFeed(feed(last / 3, 200 + run)); },
       [&](int run) { return feeds.DeleteFeed(feed(last / 3, 200 + run)); }},
      {"DeleteCategory", [&](int run) { categories.AddCategory(QStringLiteral("Doomed %1").arg(run)); },
       [&](int run) { return categories.DeleteCategory(QStringLiteral("Doomed %1").arg(run)); }},
      {"LoadCategories (tree model)", nullptr,
       [&](int) {
         CategoryTree tree;
         return categories.LoadCategories(tree) && tree.root().children.size() >= kCategories;
       }},
      {"LoadCategories (combo list)", nullptr,
       [&](int) {
         QStringList names;
         return categories.LoadCategories(names) && names.size() >= kCategories;
       }},
  };

  std::printf("feeds.fdb: %d categories, %d feeds, %lld bytes; %d runs per operation\n\n", kCategories,
              kCategories * kFeedsPerCategory, static_cast<long long>(QFileInfo(paths.feedsDb()).size()), kRuns);
  std::printf("%-34s %9s %9s %9s  %s\n", "operation", "median ms", "min ms", "max ms", "target");
  bool allWithin = true;
  for (const Row& row : rows) {
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
      if (row.prepare) row.prepare(run);
      const auto start = std::chrono::steady_clock::now();
      const bool ok = row.timed(run);
      const auto end = std::chrono::steady_clock::now();
      if (!ok) {
        std::fprintf(stderr, "%s failed\n", row.name);
        return 1;
      }
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const bool within = median < kTargetMs;
    allWithin = allWithin && within;
    std::printf("%-34s %9.2f %9.2f %9.2f  %s\n", row.name, median, ms.front(), ms.back(),
                within ? "< 30 ms" : "OVER 30 ms");
  }
  return allWithin ? 0 : 3;
}
