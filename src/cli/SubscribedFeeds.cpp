#include "cli/SubscribedFeeds.h"

#include "app/AppContext.h"
#include "feeddb/CategoryTree.h"
#include "feeddb/mCategories.h"

namespace tidewell::cli {

std::optional<std::vector<SubscribedFeed>> subscribedFeeds(AppContext& context) {
  CategoryTree tree;
  if (!mCategories(context.paths, context.messages).LoadCategories(tree)) return std::nullopt;
  std::vector<SubscribedFeed> feeds;
  for (const CategoryNode& category : tree.root().children) {
    for (const CategoryNode& feed : category.children) feeds.push_back({feed.key, feed.text, feed.tag});
  }
  return feeds;
}

}  // namespace tidewell::cli
