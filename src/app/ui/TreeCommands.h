#pragma once

class QTreeWidgetItem;

namespace tidewell {

struct AppContext;
class FeedTabs;
class Platform;
class frmMain;

// The Categories and Feeds menus' commands on the category tree of the main
// window: the category and feed dialogs over the selected node, the deletes
// with their questions (which close the feeds' viewers first), and the reload
// of the tree, after which open viewers take their feeds' new names.
class TreeCommands {
 public:
  TreeCommands(AppContext& context, Platform& platform, frmMain& window, FeedTabs& tabs);

  void newCategory();
  void editCategory();
  void deleteCategory();
  void addFeed();
  void editFeed();
  void deleteFeed();
  void reloadTree();

 private:
  QTreeWidgetItem* selectedNode() const;

  AppContext& context_;
  Platform& platform_;
  frmMain& window_;
  FeedTabs& tabs_;
};

}  // namespace tidewell
