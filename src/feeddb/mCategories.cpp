#include "feeddb/mCategories.h"

#include "feeddb/FeedsDocument.h"

namespace tidewell {

mCategories::mCategories(const AppPaths& paths, UserMessages& messages) : mCategories(paths.feedsDb(), messages) {}

mCategories::mCategories(QString feedsDbPath, UserMessages& messages)
    : path_(std::move(feedsDbPath)), messages_(messages) {}

bool mCategories::AddCategory(const QString& name) {
  FeedsDocument document(path_, messages_, QStringLiteral("AddCategory"));
  if (!document.load()) return false;
  if (!document.appendCategory(name)) return false;
  return document.save();
}

bool mCategories::CategoryExists(const QString& name) {
  FeedsDocument document(path_, messages_, QStringLiteral("CategoryExists"));
  if (!document.load()) return false;
  return static_cast<bool>(document.findCategory(name));
}

bool mCategories::EditCategory(const QString& oldName, const QString& newName) {
  FeedsDocument document(path_, messages_, QStringLiteral("EditCategory"));
  if (!document.load()) return false;
  pugi::xml_node category = document.findCategory(oldName);
  if (!category) return false;
  if (!document.renameCategory(category, newName)) return false;
  return document.save();
}

bool mCategories::DeleteCategory(const QString& name) {
  FeedsDocument document(path_, messages_, QStringLiteral("DeleteCategory"));
  if (!document.load()) return false;
  pugi::xml_node category = document.findCategory(name);
  if (!category) return false;
  document.categories().remove_child(category);
  return document.save();
}

bool mCategories::LoadCategories(CategoryTree& tree) {
  tree.clear();
  FeedsDocument document(path_, messages_, QStringLiteral("LoadCategories"));
  if (!document.load()) return false;
  int index = 0;
  for (pugi::xml_node category : document.categories().children()) {
    if (!FeedsDocument::isCategory(category)) continue;
    CategoryNode& node = tree.addCategory(index++, FeedsDocument::categoryName(category));
    for (pugi::xml_node feed : category.children()) {
      if (!FeedsDocument::isFeed(feed)) continue;
      const FeedRecord record = FeedsDocument::feedRecord(category, feed);
      node.children.push_back(CategoryNode{record.id, record.name, feedTypeImage(record.type), record.url, {}});
    }
  }
  return true;
}

bool mCategories::LoadCategories(QStringList& comboItems) {
  comboItems.clear();
  FeedsDocument document(path_, messages_, QStringLiteral("LoadCategories"));
  if (!document.load()) return false;
  for (pugi::xml_node category : document.categories().children()) {
    if (FeedsDocument::isCategory(category)) comboItems << FeedsDocument::categoryName(category);
  }
  return true;
}

}  // namespace tidewell
