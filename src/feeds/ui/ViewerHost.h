#pragma once

#include <QString>

class QPoint;

namespace tidewell {

// What a feed viewer needs of the main window that hosts it.
class ViewerHost {
 public:
  virtual ~ViewerHost() = default;

  // The tab strip shows the viewer's new caption.
  virtual void refreshTabs() = 0;
  // An item was clicked: sending it by e-mail becomes possible.
  virtual void enableSendByEmail() = 0;
  // The item menu, with its "show" entry as default.
  virtual void popupItemMenu(const QPoint& globalPos) = 0;
  // The e-mail settings dialog (modal).
  virtual void showEmailSettings() = 0;
  // The send dialog (modal) for one item.
  virtual void sendItemByEmail(const QString& channelName, const QString& title, const QString& link,
                               const QString& description) = 0;
  // Space or N found no unread item below the selection: the next feed with
  // unread items is opened at its first one.
  virtual void nextUnreadAfter(const QString& feedId) { (void)feedId; }
  // Delete in the list: the item menu's delete, with its question.
  virtual void deleteSelectedItem() {}
};

}  // namespace tidewell
