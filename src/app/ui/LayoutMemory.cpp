#include "app/ui/LayoutMemory.h"

#include "core/AppPaths.h"
#include "feeds/ui/ViewerReading.h"
#include "feeds/ui/frmViewFeed.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QSplitter>
#include <QTreeWidget>

namespace tidewell {

LayoutMemory::LayoutMemory(const AppPaths& paths)
    : settings_(paths.file(QStringLiteral("Layout.ini")), QSettings::IniFormat) {}

void LayoutMemory::saveWindow(const QMainWindow& window) {
  settings_.setValue(QStringLiteral("main/geometry"), window.saveGeometry());
  settings_.setValue(QStringLiteral("main/state"), window.saveState());
  settings_.sync();
}

bool LayoutMemory::restoreWindow(QMainWindow& window) const {
  const QByteArray geometry = settings_.value(QStringLiteral("main/geometry")).toByteArray();
  if (geometry.isEmpty()) return false;
  window.restoreGeometry(geometry);
  window.restoreState(settings_.value(QStringLiteral("main/state")).toByteArray());
  return true;
}

void LayoutMemory::saveViewer(frmViewFeed& viewer) {
  settings_.setValue(QStringLiteral("viewer/splitter"), viewer.picSplitter()->saveState());
  settings_.setValue(QStringLiteral("viewer/columns"), viewer.lstItems()->header()->saveState());
  settings_.setValue(QStringLiteral("viewer/sortColumn"), viewer.sortColumn());
  settings_.setValue(QStringLiteral("viewer/sortOrder"), static_cast<int>(viewer.sortOrder()));
}

void LayoutMemory::restoreViewer(frmViewFeed& viewer) const {
  const QByteArray splitter = settings_.value(QStringLiteral("viewer/splitter")).toByteArray();
  if (!splitter.isEmpty()) viewer.picSplitter()->restoreState(splitter);
  const QByteArray columns = settings_.value(QStringLiteral("viewer/columns")).toByteArray();
  if (!columns.isEmpty()) {
    QHeaderView* header = viewer.lstItems()->header();
    header->restoreState(columns);
    // The date key's column stays hidden whatever was saved.
    viewer.lstItems()->setColumnHidden(frmViewFeed::ColDateSort, true);
  }
  if (settings_.contains(QStringLiteral("viewer/sortColumn"))) {
    viewer.reading().setSort(settings_.value(QStringLiteral("viewer/sortColumn")).toInt(),
                             static_cast<Qt::SortOrder>(settings_.value(QStringLiteral("viewer/sortOrder")).toInt()));
  }
}

void LayoutMemory::saveTabs(const QStringList& feedIds) {
  settings_.setValue(QStringLiteral("tabs/open"), feedIds);
  settings_.sync();
}

QStringList LayoutMemory::tabs() const { return settings_.value(QStringLiteral("tabs/open")).toStringList(); }

}  // namespace tidewell
