#pragma once

#include <QSettings>
#include <QStringList>

class QMainWindow;

namespace tidewell {

class AppPaths;
class frmViewFeed;

// What the user arranged, kept in its own file beside AppCfg.cfg
// ("Layout.ini") so the settings file keeps its format: the main window's
// size, place and panels, the viewers' splitter, column widths and sort, and
// the feeds whose tabs were open.
class LayoutMemory {
 public:
  explicit LayoutMemory(const AppPaths& paths);

  void saveWindow(const QMainWindow& window);
  bool restoreWindow(QMainWindow& window) const;
  void saveViewer(frmViewFeed& viewer);
  void restoreViewer(frmViewFeed& viewer) const;
  void saveTabs(const QStringList& feedIds);
  QStringList tabs() const;

 private:
  mutable QSettings settings_;
};

}  // namespace tidewell
