#pragma once

#include "scheduler/NewItemsNotifier.h"
#include "scheduler/ui/frmNotification.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

namespace tidewell {

class clsLanguages;
class NotificationService;
class Platform;

// Announces a scheduled check's new items: through the desktop's
// notification service when there is one (one announcement, updated by the
// next check, whose "Open" shows the feed), else, or when the user prefers
// it, with the program's pop-up. A new pop-up replaces the previous one
// instead of piling up on it; a double-click on a line shows that feed.
class DesktopNotifier : public QObject, public NewItemsNotifier {
  Q_OBJECT

 public:
  // service may be null (no session bus): the pop-up then always serves.
  DesktopNotifier(clsLanguages& languages, NotificationService* service, Platform& platform, QObject* parent = nullptr);
  ~DesktopNotifier() override;

  void showNewItems(const NewItemsNotification& notification) override;

  // Whether the user chose the pop-up over the desktop's notifications
  // (asked at every announcement); unset, the desktop's are preferred.
  void setPopupPreference(std::function<bool()> prefersPopup) { prefersPopup_ = std::move(prefersPopup); }

  // A window set up from the announcement, not yet shown.
  static frmNotification* create(clsLanguages& languages, Platform& platform, const NewItemsNotification& notification);

  frmNotification* currentPopup() const { return popup_; }

 signals:
  // The user wants to see a feed (the main window opens or activates its tab).
  void feedRequested(const QString& feedId);
  // A new pop-up, set up and about to be shown.
  void popupCreated(frmNotification* window);

 private:
  void showPopup(const NewItemsNotification& notification);
  void showOnDesktop(const NewItemsNotification& notification);

  clsLanguages& languages_;
  NotificationService* service_;
  Platform& platform_;
  std::function<bool()> prefersPopup_;
  QPointer<frmNotification> popup_;
  QStringList popupFeedIds_;
  QStringList desktopFeedIds_;
};

}  // namespace tidewell
