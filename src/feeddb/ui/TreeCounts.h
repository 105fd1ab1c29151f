#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace tidewell {

struct AppContext;
class CategoryTreeWidget;

// Keeps the tree's unread counts and its Starred node in step with the item
// stores through the item index: on start, after every rebuild of the tree,
// when a window reports a change, and when any store in Data/ is written
// (a scheduled check, another program), shortly after the last write.
class TreeCounts : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSettleMs = 150;

  TreeCounts(AppContext& context, CategoryTreeWidget& tree);

  // Reads the changed stores of every feed of the tree and shows the counts.
  void refresh();
  // The same for an index that has yet to be built: a few feeds per turn of
  // the event loop, so the window answers while the counts fill in.
  void refreshInSteps();
  bool building() const { return !pending_.isEmpty(); }
  // One feed changed (its viewer wrote it): only its store is compared.
  void refreshFeed(const QString& feedId);

  QStringList feedIds() const;
  int starredCount() const { return starred_; }

 signals:
  // The counts on screen changed (the Starred list may follow).
  void countsShown();

 private:
  void apply();
  void ensureStarredNode();

  AppContext& context_;
  CategoryTreeWidget& tree_;
  QFileSystemWatcher watcher_;
  QTimer settle_;
  QTimer step_;
  QStringList pending_;
  int starred_ = 0;
};

}  // namespace tidewell
