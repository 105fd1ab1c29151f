#pragma once

#include "scheduler/NewItemsNotifier.h"

#include <functional>

namespace tidewell {

class clsLanguages;
class frmNotification;

// Announces a scheduled check's new items with a new frmNotification each
// time (modeless; it deletes itself when it has slid away).
class DesktopNotifier : public NewItemsNotifier {
 public:
  explicit DesktopNotifier(clsLanguages& languages) : languages_(languages) {}

  void showNewItems(const NewItemsNotification& notification) override;

  // Called with every new window before it is shown (tests look at it).
  std::function<void(frmNotification*)> onCreated;

  // A window set up from the announcement, not yet shown.
  static frmNotification* create(clsLanguages& languages, const NewItemsNotification& notification);

 private:
  clsLanguages& languages_;
};

}  // namespace tidewell
