#include "cli/ReadingCommands.h"

#include "cli/JsonLine.h"
#include "core/AppPaths.h"
#include "core/UserMessages.h"
#include "feeddb/CategoryTree.h"
#include "feeddb/mCategories.h"
#include "feeds/FeedReading.h"
#include "feeds/ItemIndex.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace tidewell::cli {

namespace {

int usage(const char* name) {
  for (const CliCommand& command : readingCommands()) {
    if (command.name == QLatin1String(name)) return usageError(command);
  }
  return kExitUsage;
}

void failWith(const QString& command, const QString& reason) {
  printErr(QStringLiteral("tidewell-cli: ") + command + QStringLiteral(": ") + reason);
}

// The tree of feeds.fdb with the index brought in line with its stores.
bool loadTree(ReadingData& data, CategoryTree& tree) {
  if (!mCategories(data.paths, data.messages).LoadCategories(tree)) return false;
  if (data.itemIndex.open() == ItemIndex::OpenState::Replaced) {
    printErr(QStringLiteral("tidewell-cli: the item index was damaged and is built again from the item stores"));
  }
  data.itemIndex.sync(FeedReading::FeedIds(tree));
  return true;
}

}  // namespace

int runUnread(ReadingData& data, const QStringList& args) {
  bool json = false;
  for (const QString& arg : args) {
    if (arg != QLatin1String("--json")) return usage("unread");
    json = true;
  }
  CategoryTree tree;
  if (!loadTree(data, tree)) return kExitFailed;
  const QHash<QString, FeedCounts> counts = data.itemIndex.allCounts();

  FeedCounts all;
  QJsonArray feeds;
  QJsonArray categories;
  QStringList lines;
  for (const CategoryNode& category : tree.root().children) {
    FeedCounts sum;
    QStringList feedLines;
    for (const CategoryNode& feed : category.children) {
      const FeedCounts c = counts.value(feed.key);
      sum.unread += c.unread;
      sum.total += c.total;
      feeds.append(QJsonObject{{QStringLiteral("id"), feed.key},
                               {QStringLiteral("name"), feed.text},
                               {QStringLiteral("category"), category.text},
                               {QStringLiteral("unread"), c.unread},
                               {QStringLiteral("total"), c.total}});
      feedLines << QStringLiteral("    %1  %2  %3 unread of %4").arg(feed.text, feed.key).arg(c.unread).arg(c.total);
    }
    all.unread += sum.unread;
    all.total += sum.total;
    categories.append(QJsonObject{{QStringLiteral("name"), category.text},
                                  {QStringLiteral("unread"), sum.unread},
                                  {QStringLiteral("total"), sum.total}});
    lines << QStringLiteral("  %1  %2 unread of %3").arg(category.text).arg(sum.unread).arg(sum.total) << feedLines;
  }
  if (json) {
    const QJsonObject root{{QStringLiteral("unread"), all.unread},
                           {QStringLiteral("total"), all.total},
                           {QStringLiteral("feeds"), feeds},
                           {QStringLiteral("categories"), categories}};
    printOut(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)));
    return kExitOk;
  }
  printOut(QStringLiteral("%1  %2 unread of %3").arg(tree.root().text).arg(all.unread).arg(all.total));
  for (const QString& line : lines) printOut(line);
  return kExitOk;
}

int runMarkRead(ReadingData& data, const QStringList& args) {
  QString feedId;
  QString category;
  bool all = false;
  int given = 0;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--all")) {
      all = true;
    } else if (args[i] == QLatin1String("--category") && i + 1 < args.size()) {
      category = args[++i];
    } else if (!args[i].startsWith(QLatin1String("--")) && feedId.isEmpty()) {
      feedId = args[i];
    } else {
      return usage("mark-read");
    }
    ++given;
  }
  if (given != 1) return usage("mark-read");
  CategoryTree tree;
  if (!loadTree(data, tree)) return kExitFailed;
  QStringList ids;
  if (all) {
    ids = FeedReading::FeedIds(tree);
  } else if (!category.isEmpty()) {
    bool found = false;
    for (const CategoryNode& node : tree.root().children)
      found = found || !node.text.compare(category, Qt::CaseInsensitive);
    if (!found) {
      failWith(QStringLiteral("mark-read"), QStringLiteral("no category named ") + category);
      return kExitFailed;
    }
    ids = FeedReading::CategoryFeedIds(tree, category);
  } else {
    if (!FeedReading::FeedIds(tree).contains(feedId)) {
      failWith(QStringLiteral("mark-read"), QStringLiteral("no feed with id ") + feedId);
      return kExitFailed;
    }
    ids = {feedId};
  }
  const int changed = FeedReading(data.paths, data.itemIndex, data.messages).MarkAllRead(ids);
  if (changed < 0) {
    failWith(QStringLiteral("mark-read"), QStringLiteral("an item store could not be written"));
    return kExitFailed;
  }
  printOut(QStringLiteral("%1 items marked as read").arg(changed));
  return kExitOk;
}

int runStar(ReadingData& data, const QStringList& args) {
  bool off = false;
  QStringList rest;
  for (const QString& arg : args) {
    if (arg == QLatin1String("--off")) {
      off = true;
    } else if (arg.startsWith(QLatin1String("--"))) {
      return usage("star");
    } else {
      rest << arg;
    }
  }
  if (rest.size() != 2) return usage("star");
  CategoryTree tree;
  if (!loadTree(data, tree)) return kExitFailed;
  if (!FeedReading::FeedIds(tree).contains(rest[0])) {
    failWith(QStringLiteral("star"), QStringLiteral("no feed with id ") + rest[0]);
    return kExitFailed;
  }
  if (!FeedReading(data.paths, data.itemIndex, data.messages).SetStarred(rest[0], {rest[1], 0}, !off)) {
    failWith(QStringLiteral("star"), QStringLiteral("no item with id ") + rest[1]);
    return kExitFailed;
  }
  return kExitOk;
}

int runSearch(ReadingData& data, const QStringList& args) {
  ItemSearch query;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--feed") && i + 1 < args.size()) {
      query.feedId = args[++i];
    } else if (args[i] == QLatin1String("--starred")) {
      query.starredOnly = true;
    } else if (args[i] == QLatin1String("--limit") && i + 1 < args.size()) {
      bool ok = false;
      query.limit = args[++i].toInt(&ok);
      if (!ok || query.limit < 0) return usage("search");
    } else if (args[i].startsWith(QLatin1String("--"))) {
      return usage("search");
    } else {
      query.words << args[i];
    }
  }
  // Without words only the starred list makes sense.
  if (query.words.isEmpty() && !query.starredOnly) return usage("search");
  CategoryTree tree;
  if (!loadTree(data, tree)) return kExitFailed;
  QByteArray out;
  for (const ItemHit& hit : data.itemIndex.search(query)) {
    appendJsonLine(out, {{"feed", hit.feedId}, {"id", hit.itemId}, {"title", hit.title}, {"datekey", hit.dateKey}});
  }
  std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
  return kExitOk;
}

const std::vector<CliCommand>& readingCommands() {
  static const std::vector<CliCommand> table = {
      {QStringLiteral("unread"), QStringLiteral("unread [--json]"),
       QStringLiteral("Show the unread and total items per feed, per category and in all."), nullptr, runUnread},
      {QStringLiteral("mark-read"), QStringLiteral("mark-read (FEED_ID | --category NAME | --all)"),
       QStringLiteral("Mark every item of a feed, of a category's feeds or of all feeds as read."), nullptr,
       runMarkRead},
      {QStringLiteral("star"), QStringLiteral("star [--off] FEED_ID ITEM_ID"),
       QStringLiteral("Star an item (--off: unstar it)."), nullptr, runStar},
      {QStringLiteral("search"), QStringLiteral("search [--feed FEED_ID] [--starred] [--limit N] WORD..."),
       QStringLiteral("Find stored items whose title or text holds every word (case and accents ignored); JSON "
                      "lines, newest first. With --starred alone, every starred item."),
       nullptr, runSearch},
  };
  return table;
}

}  // namespace tidewell::cli
