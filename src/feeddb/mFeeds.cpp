#include "feeddb/mFeeds.h"

#include "core/Utilities.h"
#include "feeddb/FeedDbTexts.h"
#include "feeddb/FeedsDocument.h"

#include <QFile>

namespace tidewell {

namespace {

// The record's category, or the message every feed operation gives when it is missing.
pugi::xml_node recordCategory(FeedsDocument& document, const FeedRecord& record, UserMessages& messages) {
  pugi::xml_node category = document.findCategory(record.category);
  if (!category) {
    messages.showMessage(feeddb_text::categoryMissingText(record.category), feeddb_text::categoryMissingTitle(),
                         MessageIcon::Exclamation);
  }
  return category;
}

}  // namespace

mFeeds::mFeeds(const AppPaths& paths, UserMessages& messages) : paths_(paths), messages_(messages) {}

std::optional<QString> mFeeds::FindCategory(const QString& name) {
  FeedsDocument document(paths_.feedsDb(), messages_, QStringLiteral("FindCategory"));
  if (!document.load()) return std::nullopt;
  pugi::xml_node category = document.findCategory(name);
  if (!category) return std::nullopt;
  return FeedsDocument::categoryName(category);
}

bool mFeeds::FeedExists(const FeedRecord& record) {
  FeedsDocument document(paths_.feedsDb(), messages_, QStringLiteral("FeedExists"));
  if (!document.load()) return false;
  pugi::xml_node category = recordCategory(document, record, messages_);
  if (!category) return false;
  const QString name = record.name.toLower();
  const QString url = record.url.toLower();
  for (pugi::xml_node feed : category.children()) {
    if (!FeedsDocument::isFeed(feed)) continue;
    if (FeedsDocument::feedName(feed).toLower() == name || FeedsDocument::feedUrl(feed).toLower() == url) return true;
  }
  return false;
}

bool mFeeds::AddFeed(const FeedRecord& record) {
  FeedsDocument document(paths_.feedsDb(), messages_, QStringLiteral("AddFeed"));
  if (!document.load()) return false;
  pugi::xml_node category = recordCategory(document, record, messages_);
  if (!category) return false;
  if (!document.appendFeed(category, record)) return false;
  return document.save();
}

bool mFeeds::EditFeed(const FeedRecord& record, bool move, const QString& newCategory) {
  FeedsDocument document(paths_.feedsDb(), messages_, QStringLiteral("EditFeed"));
  if (!document.load()) return false;
  pugi::xml_node category = recordCategory(document, record, messages_);
  if (!category) return false;
  pugi::xml_node feed = document.findFeed(category, record.id);
  if (!feed) return false;
  if (!move) {
    if (!document.updateFeed(feed, record)) return false;
    return document.save();
  }
  pugi::xml_node target = document.findCategory(newCategory);
  if (!target) {
    messages_.showMessage(feeddb_text::moveTargetMissingText(newCategory), feeddb_text::moveTargetMissingTitle(),
                          MessageIcon::Exclamation);
    return false;
  }
  if (target != category && !document.hasRoomFor(target)) return false;
  if (!target.append_move(feed)) {
    document.reportRuntimeError(FeedsDocument::kStepWork, QStringLiteral("The feed could not be moved."));
    return false;
  }
  return document.save();
}

bool mFeeds::DeleteFeed(const FeedRecord& record) {
  FeedsDocument document(paths_.feedsDb(), messages_, QStringLiteral("DeleteFeed"));
  if (!document.load()) return false;
  pugi::xml_node category = recordCategory(document, record, messages_);
  if (!category) return false;
  pugi::xml_node feed = document.findFeed(category, record.id);
  if (!feed) return false;
  const QString id = FeedsDocument::feedId(feed);
  category.remove_child(feed);
  // The item store goes only once the database no longer lists the feed: a
  // save that fails must not leave a listed feed without its items.
  if (!document.save()) return false;
  DeleteFeedData(id);
  return true;
}

void mFeeds::DeleteFeedData(const QString& id) {
  // Ids come from the database file; one that could name a file outside the
  // Data folder is never used as a path.
  if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.contains(QLatin1Char('\\')) || id.contains(QChar())) return;
  for (const QString& path : {paths_.itemStore(id), paths_.feedIcon(id)}) {
    if (util::FileExists(path)) QFile::remove(path);
  }
}

std::optional<FeedRecord> mFeeds::FindFeed(const QString& id) {
  FeedsDocument document(paths_.feedsDb(), messages_, QStringLiteral("FindFeed"));
  if (!document.load()) return std::nullopt;
  for (pugi::xml_node category : document.categories().children()) {
    if (!FeedsDocument::isCategory(category)) continue;
    if (pugi::xml_node feed = document.findFeed(category, id)) return FeedsDocument::feedRecord(category, feed);
  }
  return std::nullopt;
}

}  // namespace tidewell
