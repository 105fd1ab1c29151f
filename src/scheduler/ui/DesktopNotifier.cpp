#include "scheduler/ui/DesktopNotifier.h"

#include "scheduler/ui/frmNotification.h"

#include <QListWidget>

namespace tidewell {

frmNotification* DesktopNotifier::create(clsLanguages& languages, const NewItemsNotification& notification) {
  auto* window = new frmNotification(languages);
  window->TransparencyPercentage = static_cast<qint16>(notification.transparencyPercentage);
  window->SoundFilePath = notification.soundFilePath;
  window->PlaySound = notification.playSound;
  window->AutoClose = notification.autoClose;
  window->MakeTransparent = notification.makeTransparent;
  window->CanGainFocus = notification.canGainFocus;
  window->lstResult()->addItems(notification.lines);
  return window;
}

void DesktopNotifier::showNewItems(const NewItemsNotification& notification) {
  frmNotification* window = create(languages_, notification);
  if (onCreated) onCreated(window);
  window->show();
}

}  // namespace tidewell
