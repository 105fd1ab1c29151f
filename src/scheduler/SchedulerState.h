#pragma once

#include <QList>
#include <QString>

namespace tidewell {

// One feed of a run that received new items.
struct NewItemsEntry {
  QString caption;
  int count = 0;
  QString feedId;
  bool operator==(const NewItemsEntry&) const = default;
};

// The scheduler's program-wide state; the context carries one. A run keeps
// it current so that the main window can stop it and see whether one is in
// progress, and so that the last run's summary outlives the run.
struct SchedulerState {
  // True while a run walks its list. Clearing it (the main window's unload)
  // stops the run before its next feed; the feed being checked finishes.
  bool Running = false;
  // True from the start block to the end of the run, also for an empty list;
  // no second run starts meanwhile.
  bool inProgress = false;
  // The feeds of the current (or last) run that had new items, in list order.
  QList<NewItemsEntry> summary;
};

}  // namespace tidewell
