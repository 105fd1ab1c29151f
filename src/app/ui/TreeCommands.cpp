#include "app/ui/TreeCommands.h"

#include "app/AppContext.h"
#include "app/ui/FeedTabs.h"
#include "app/ui/frmMain.h"
#include "core/ui/Platform.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "feeddb/ui/frmAddFeed.h"
#include "feeddb/ui/frmCategory.h"
#include "feeds/ui/frmViewFeed.h"

#include <QLineEdit>

namespace tidewell {

TreeCommands::TreeCommands(AppContext& context, Platform& platform, frmMain& window, FeedTabs& tabs)
    : context_(context), platform_(platform), window_(window), tabs_(tabs) {}

QTreeWidgetItem* TreeCommands::selectedNode() const {
  CategoryTreeWidget* tree = window_.tvCategories();
  return tree ? tree->selectedNode() : nullptr;
}

void TreeCommands::newCategory() {
  frmCategory dialog(
      context_, frmCategory::AddMode, QString(), [this] { reloadTree(); }, &window_);
  platform_.runModal(dialog);
}

void TreeCommands::editCategory() {
  QTreeWidgetItem* node = selectedNode();
  if (!CategoryTreeWidget::isCategory(node) || CategoryTreeWidget::isFeed(node)) return;
  frmCategory dialog(
      context_, frmCategory::EditMode, node->text(0), [this] { reloadTree(); }, &window_);
  platform_.runModal(dialog);
}

void TreeCommands::deleteCategory() {
  QTreeWidgetItem* node = selectedNode();
  if (!CategoryTreeWidget::isCategory(node) || CategoryTreeWidget::isFeed(node)) return;
  const clsLanguages& l = context_.languages;
  const QString name = node->text(0);
  const QString prompt = l.getMessages(QStringLiteral("MSG_DELETE1")) + name +
                         l.getMessages(QStringLiteral("MSG_DELETE2")) + QStringLiteral("\r\n\r\n") +
                         l.getMessages(QStringLiteral("MSG_DELETE3"));
  if (!context_.messages.askYesNo(prompt, l.getMessages(QStringLiteral("MSG_DELETE4")) + name)) return;
  QStringList ids;
  for (int i = 0; i < node->childCount(); ++i) ids << CategoryTreeWidget::keyOf(node->child(i));
  if (!tabs_.closeViewersOf(ids)) return;
  if (mCategories(context_.paths, context_.messages).DeleteCategory(name)) delete node;
}

void TreeCommands::reloadTree() {
  CategoryTreeWidget* tree = window_.tvCategories();
  if (tree == nullptr) return;
  tree->LoadCategories();
  // An edited feed's open viewer takes its new name.
  for (frmViewFeed* viewer : tabs_.viewers()) {
    if (QTreeWidgetItem* node = tree->findKey(viewer->FeedID())) tabs_.rename(viewer->FeedID(), node->text(0));
  }
}

void TreeCommands::addFeed() {
  frmAddFeed dialog(
      context_, platform_, [this] { reloadTree(); }, &window_);
  QTreeWidgetItem* node = selectedNode();
  if (CategoryTreeWidget::isFeed(node) && node->parent()) {
    dialog.categoryName = node->parent()->text(0);
  } else if (CategoryTreeWidget::isCategory(node)) {
    dialog.categoryName = node->text(0);
  }
  dialog.Form_Load();
  platform_.runModal(dialog);
}

void TreeCommands::editFeed() {
  QTreeWidgetItem* node = selectedNode();
  if (!CategoryTreeWidget::isFeed(node)) return;
  const FeedRecord feed = CategoryTreeWidget::recordOf(node);
  frmAddFeed dialog(
      context_, platform_, [this] { reloadTree(); }, &window_);
  dialog.EditMode = 1;
  dialog.FeedID = feed.id;
  dialog.categoryName = feed.category;
  dialog.txtChannel()->setText(feed.name);
  dialog.txtURL()->setText(feed.url);
  dialog.Form_Load();
  platform_.runModal(dialog);
  // The feed's own choices may have changed under its open viewer.
  for (frmViewFeed* viewer : tabs_.viewers()) {
    if (viewer->FeedID().compare(feed.id, Qt::CaseInsensitive) == 0) viewer->reloadOptions();
  }
}

void TreeCommands::deleteFeed() {
  QTreeWidgetItem* node = selectedNode();
  if (!CategoryTreeWidget::isFeed(node) || !node->parent()) return;
  const clsLanguages& l = context_.languages;
  const FeedRecord feed = CategoryTreeWidget::recordOf(node);
  // The prompt and its title name the feed, as the category's do.
  const QString prompt = l.getMessages(QStringLiteral("MSG_WND_DELETEFEED")).replace(QStringLiteral("%1"), feed.name);
  if (!context_.messages.askYesNo(prompt, l.getMessages(QStringLiteral("MSG_DELETE4")) + feed.name)) return;
  if (!tabs_.closeViewersOf({feed.id})) return;
  if (mFeeds(context_.paths, context_.messages).DeleteFeed(feed)) delete node;
}

}  // namespace tidewell
