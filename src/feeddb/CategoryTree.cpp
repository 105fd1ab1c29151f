#include "feeddb/CategoryTree.h"

#include <algorithm>

namespace tidewell {

namespace {

const QString kCategoryPrefix = QStringLiteral("cat_");

const CategoryNode* findIn(const CategoryNode& node, const QString& key, const CategoryNode** parent) {
  for (const CategoryNode& child : node.children) {
    if (child.key == key) {
      if (parent) *parent = &node;
      return &child;
    }
    if (const CategoryNode* found = findIn(child, key, parent)) return found;
  }
  return nullptr;
}

}  // namespace

const QString& CategoryTree::rootKey() {
  static const QString key = QStringLiteral("main");
  return key;
}

const QString& CategoryTree::rootText() {
  static const QString text = QStringLiteral("Subscribed Feeds");
  return text;
}

CategoryTree::CategoryTree() { clear(); }

void CategoryTree::clear() { root_ = CategoryNode{rootKey(), rootText(), kRootImage, QString(), {}}; }

CategoryNode& CategoryTree::addCategory(int fileIndex, const QString& name) {
  // Upper bound: a category equal to others in name goes after them, so equal
  // names keep their file order.
  auto& children = root_.children;
  const auto at =
      std::upper_bound(children.begin(), children.end(), name, [](const QString& wanted, const CategoryNode& node) {
        return QString::compare(wanted, node.text, Qt::CaseInsensitive) < 0;
      });
  return *children.insert(at, CategoryNode{categoryKey(fileIndex), name, kCategoryImage, QString(), {}});
}

QStringList CategoryTree::categoryNamesInFileOrder() const {
  std::vector<std::pair<int, QString>> indexed;
  indexed.reserve(root_.children.size());
  for (const CategoryNode& category : root_.children) {
    indexed.emplace_back(categoryFileIndex(category.key), category.text);
  }
  std::stable_sort(indexed.begin(), indexed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  QStringList names;
  names.reserve(static_cast<qsizetype>(indexed.size()));
  for (const auto& entry : indexed) names << entry.second;
  return names;
}

const CategoryNode* CategoryTree::find(const QString& key) const {
  if (key == root_.key) return &root_;
  return findIn(root_, key, nullptr);
}

const CategoryNode* CategoryTree::parentOf(const QString& key) const {
  const CategoryNode* parent = nullptr;
  return findIn(root_, key, &parent) ? parent : nullptr;
}

bool CategoryTree::isRootKey(const QString& key) { return key == rootKey(); }

bool CategoryTree::isFeedKey(const QString& key) { return key.contains(QLatin1Char('-')); }

bool CategoryTree::isCategoryKey(const QString& key) { return !isRootKey(key) && !isFeedKey(key); }

QString CategoryTree::categoryKey(int fileIndex) { return kCategoryPrefix + QString::number(fileIndex); }

int CategoryTree::categoryFileIndex(const QString& key) {
  if (!key.startsWith(kCategoryPrefix)) return -1;
  bool ok = false;
  const int index = key.mid(kCategoryPrefix.size()).toInt(&ok);
  return ok && index >= 0 ? index : -1;
}

}  // namespace tidewell
