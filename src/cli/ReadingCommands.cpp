#include "cli/ReadingCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
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

void failWith(const QString& command, const QString& reason) {
  printErr(QStringLiteral("tidewell-cli: ") + command + QStringLiteral(": ") + reason);
}

// The tree of feeds.fdb with the index brought in line with its stores.
bool loadTree(AppContext& context, CategoryTree& tree) {
  if (!mCategories(context.paths, context.messages).LoadCategories(tree)) return false;
  if (context.itemIndex.open() == ItemIndex::OpenState::Replaced) {
    printErr(QStringLiteral("tidewell-cli: the item index was damaged and is built again from the item stores"));
  }
  context.itemIndex.sync(FeedReading::FeedIds(tree));
  return true;
}

QByteArray jsonValue(const QString& text) {
  // A one-element array is the shortest way to Qt's JSON string escaping.
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return array.mid(1, array.size() - 2);
}

}  // namespace

int runUnread(AppContext& context, const QStringList& args) {
  bool json = false;
  for (const QString& arg : args) {
    if (arg != QLatin1String("--json")) return usageError(QStringLiteral("unread"));
    json = true;
  }
  CategoryTree tree;
  if (!loadTree(context, tree)) return kExitFailed;
  const QHash<QString, FeedCounts> counts = context.itemIndex.allCounts();

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

int runMarkRead(AppContext& context, const QStringList& args) {
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
      return usageError(QStringLiteral("mark-read"));
    }
    ++given;
  }
  if (given != 1) return usageError(QStringLiteral("mark-read"));
  CategoryTree tree;
  if (!loadTree(context, tree)) return kExitFailed;
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
  const int changed = FeedReading(context.paths, context.itemIndex, context.messages).MarkAllRead(ids);
  if (changed < 0) {
    failWith(QStringLiteral("mark-read"), QStringLiteral("an item store could not be written"));
    return kExitFailed;
  }
  printOut(QStringLiteral("%1 items marked as read").arg(changed));
  return kExitOk;
}

int runStar(AppContext& context, const QStringList& args) {
  bool off = false;
  QStringList rest;
  for (const QString& arg : args) {
    if (arg == QLatin1String("--off")) {
      off = true;
    } else if (arg.startsWith(QLatin1String("--"))) {
      return usageError(QStringLiteral("star"));
    } else {
      rest << arg;
    }
  }
  if (rest.size() != 2) return usageError(QStringLiteral("star"));
  CategoryTree tree;
  if (!loadTree(context, tree)) return kExitFailed;
  if (!FeedReading::FeedIds(tree).contains(rest[0])) {
    failWith(QStringLiteral("star"), QStringLiteral("no feed with id ") + rest[0]);
    return kExitFailed;
  }
  if (!FeedReading(context.paths, context.itemIndex, context.messages).SetStarred(rest[0], {rest[1], 0}, !off)) {
    failWith(QStringLiteral("star"), QStringLiteral("no item with id ") + rest[1]);
    return kExitFailed;
  }
  return kExitOk;
}

int runSearch(AppContext& context, const QStringList& args) {
  ItemSearch query;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--feed") && i + 1 < args.size()) {
      query.feedId = args[++i];
    } else if (args[i] == QLatin1String("--starred")) {
      query.starredOnly = true;
    } else if (args[i] == QLatin1String("--limit") && i + 1 < args.size()) {
      bool ok = false;
      query.limit = args[++i].toInt(&ok);
      if (!ok || query.limit < 0) return usageError(QStringLiteral("search"));
    } else if (args[i].startsWith(QLatin1String("--"))) {
      return usageError(QStringLiteral("search"));
    } else {
      query.words << args[i];
    }
  }
  // Without words only the starred list makes sense.
  if (query.words.isEmpty() && !query.starredOnly) return usageError(QStringLiteral("search"));
  CategoryTree tree;
  if (!loadTree(context, tree)) return kExitFailed;
  QByteArray out;
  for (const ItemHit& hit : context.itemIndex.search(query)) {
    out += "{\"feed\":" + jsonValue(hit.feedId) + ",\"id\":" + jsonValue(hit.itemId) +
           ",\"title\":" + jsonValue(hit.title) + ",\"datekey\":" + jsonValue(hit.dateKey) + "}\n";
  }
  std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
  return kExitOk;
}

}  // namespace tidewell::cli
