#pragma once

#include <QString>
#include <QStringList>

namespace tidewell {

// What the new-items announcement shows and how the window behaves. The
// scheduler fills it; the notification window takes it over.
struct NewItemsNotification {
  bool autoClose = false;
  bool canGainFocus = false;
  bool makeTransparent = true;
  int transparencyPercentage = 10;
  bool playSound = false;
  QString soundFilePath;
  // caption + " -- " + count + " New Items", one per feed.
  QStringList lines;
  // The feed of each line, in the same order (opened from the announcement).
  QStringList feedIds;
};

// Shows the announcement of a scheduled check's new items. The desktop
// program implements it with its notification window (modeless, destroying
// itself); the command line prints the lines. The scheduler calls it only
// when there is something to announce and announcements are switched on.
class NewItemsNotifier {
 public:
  virtual ~NewItemsNotifier() = default;
  virtual void showNewItems(const NewItemsNotification& notification) = 0;
};

}  // namespace tidewell
