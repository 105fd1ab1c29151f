#pragma once

#include "feeddb/CategoryTree.h"
#include "feeddb/FeedRecord.h"

#include <QTreeWidget>

#include <optional>

namespace tidewell {

struct AppContext;
class TreeHost;

// tvCategories: the categories and feeds of feeds.fdb as LoadCategories
// builds them. Double-click opens a feed, F2 renames, the right button pops
// up the host's feed or category menu, and a feed dragged onto another
// category moves there.
class CategoryTreeWidget : public QTreeWidget {
  Q_OBJECT

 public:
  enum Role { KeyRole = Qt::UserRole, TagRole, ImageRole, CountRole };
  // The node after the root that lists the starred items of every feed.
  static inline const QString kStarredKey = QStringLiteral("starred");
  static inline const QString kFeedMimeType = QStringLiteral("application/x-tidewell-feed");

  CategoryTreeWidget(AppContext& context, TreeHost& host, QWidget* parent = nullptr);

  // Rebuilds the tree from the file; the previously selected node (by key)
  // is selected again when it still exists.
  void LoadCategories();
  // The root's caption in the current language.
  void retranslate();

  // Node helpers by the key rules of the tree.
  static QString keyOf(const QTreeWidgetItem* item);
  static QString tagOf(const QTreeWidgetItem* item);
  static int imageOf(const QTreeWidgetItem* item);
  static bool isRoot(const QTreeWidgetItem* item);
  static bool isFeed(const QTreeWidgetItem* item);
  static bool isCategory(const QTreeWidgetItem* item);
  // The record of a feed node: name, category (parent's text), id, type, URL.
  static FeedRecord recordOf(const QTreeWidgetItem* feedItem);

  QTreeWidgetItem* rootItem() const { return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr; }
  QTreeWidgetItem* findKey(const QString& key) const;
  QTreeWidgetItem* selectedNode() const;

  // Starts editing the selected node's label (F2); the root is never edited.
  bool beginRename();
  // The rules a finished label edit goes through; true when the new text
  // was written and the node shows it, false when the edit is cancelled.
  bool AfterLabelEdit(QTreeWidgetItem* item, const QString& newText);

  // Drag and drop, also for tests: whether a drag may start from this node
  // (feeds only; it then becomes the dragged feed), whether the node under the
  // pointer takes a drop (categories only), and the drop itself.
  bool beginFeedDrag(QTreeWidgetItem* item);
  bool acceptsDrop(const QTreeWidgetItem* target) const;
  void dropDraggedFeedOn(QTreeWidgetItem* target);
  const std::optional<FeedRecord>& draggedFeed() const { return dragged_; }

  // The picture of a node by its image number (feed type + 3 for feeds).
  static QIcon imageIcon(int image);
  // A feed's picture: its site's icon when one is stored, else its type's.
  QIcon feedIcon(const QString& feedId, int image) const;
  // The feed's node shows the icon stored for it now.
  void showFeedIcon(const QString& feedId);

  // Opens the feed of a node as a double-click does.
  void openNode(QTreeWidgetItem* item);

  // The unread count shown after a node's name ("Coastal Gazette (12)", in
  // bold while above 0); the name itself stays the node's text.
  static void setCount(QTreeWidgetItem* item, int count, bool bold);
  static QString shownText(const QTreeWidgetItem* item);

 signals:
  // The tree was rebuilt from the file (counts and extra nodes go again).
  void reloaded();
  // Enter or a double-click on the Starred node; Delete on a feed or category.
  void starredNodeOpened();
  void deleteRequested(QTreeWidgetItem* item);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void addNode(QTreeWidgetItem* parent, const CategoryNode& node);

  AppContext& context_;
  TreeHost& host_;
  std::optional<FeedRecord> dragged_;
};

}  // namespace tidewell
