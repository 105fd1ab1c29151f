#pragma once

#include <QString>

class QPoint;

namespace tidewell {

// What the category tree needs of the window that hosts it: its feed and
// category menus, the add-feed command's state and the feed windows.
class TreeHost {
 public:
  virtual ~TreeHost() = default;

  // True when a viewer of this URL is open (compared case-insensitively);
  // with activate, the first such viewer is brought to the front.
  virtual bool IsFeedOpen(const QString& url, bool activate) = 0;
  virtual void OpenFeedWindow(const QString& caption, const QString& id, const QString& url, qint16 type,
                              bool checkForNewItems) = 0;
  virtual void popupFeedMenu(const QPoint& globalPos) = 0;
  virtual void popupCategoryMenu(const QPoint& globalPos) = 0;
  // The add-feed item of the category menu follows the clicked node.
  virtual void setNewFeedEnabled(bool enabled) = 0;
  // A feed was renamed in the tree: an open viewer follows.
  virtual void feedRenamed(const QString& /*id*/, const QString& /*name*/) {}
};

}  // namespace tidewell
