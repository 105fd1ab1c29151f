#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tidewell {

// One node of the category tree: the root, a category or a feed.
struct CategoryNode {
  QString key;    // "main", "cat_<index in file>", or the feed id
  QString text;   // "Subscribed Feeds", the category name, or the feed name
  int image = 0;  // 1 root, 2 category, feed type + 3 for a feed
  QString tag;    // the feed URL (feeds only)
  std::vector<CategoryNode> children;
};

// The categories and feeds of the database as the tree panel shows them,
// without any widget: the root "Subscribed Feeds" holds the categories in
// alphabetical order, each category its feeds in file order. Windows render
// it; combo boxes take categoryNamesInFileOrder().
class CategoryTree {
 public:
  static constexpr int kRootImage = 1;
  static constexpr int kCategoryImage = 2;
  static const QString& rootKey();   // "main"
  static const QString& rootText();  // "Subscribed Feeds"

  CategoryTree();

  // Only the root remains.
  void clear();

  const CategoryNode& root() const { return root_; }
  CategoryNode& root() { return root_; }

  // Appends a category under the root, keeping the root's children sorted by
  // name (case-insensitively; equal names keep their file order).
  CategoryNode& addCategory(int fileIndex, const QString& name);

  // The category names in file order (the order of their "cat_<index>" keys).
  QStringList categoryNamesInFileOrder() const;

  // The node with this key and its parent (nullptr when there is none).
  const CategoryNode* find(const QString& key) const;
  const CategoryNode* parentOf(const QString& key) const;

  // Node kinds by key: "main" is the root; feed ids always contain "-",
  // category keys never do.
  static bool isRootKey(const QString& key);
  static bool isFeedKey(const QString& key);
  static bool isCategoryKey(const QString& key);
  static QString categoryKey(int fileIndex);  // "cat_" + index
  // The file index of a "cat_<index>" key, -1 for other keys.
  static int categoryFileIndex(const QString& key);

 private:
  CategoryNode root_;
};

}  // namespace tidewell
