#include "scheduler/ui/DesktopNotifier.h"

#include "core/ui/Platform.h"
#include "l10n/clsLanguages.h"
#include "scheduler/NotificationService.h"
#include "scheduler/ui/frmNotification.h"

#include <QFileInfo>
#include <QListWidget>

namespace tidewell {

DesktopNotifier::DesktopNotifier(clsLanguages& languages, NotificationService* service, Platform& platform,
                                 QObject* parent)
    : QObject(parent), languages_(languages), service_(service), platform_(platform) {
  if (service_ != nullptr) {
    // The announcement's "Open" shows the first feed it lists.
    connect(service_, &NotificationService::openRequested, this, [this] {
      if (!desktopFeedIds_.isEmpty()) emit feedRequested(desktopFeedIds_.first());
    });
  }
}

DesktopNotifier::~DesktopNotifier() {
  if (popup_) delete popup_.data();
}

frmNotification* DesktopNotifier::create(clsLanguages& languages, Platform& platform,
                                         const NewItemsNotification& notification) {
  auto* window = new frmNotification(languages, platform);
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
  const bool popup = (prefersPopup_ && prefersPopup_()) || service_ == nullptr || !service_->available();
  if (popup)
    showPopup(notification);
  else
    showOnDesktop(notification);
}

void DesktopNotifier::showPopup(const NewItemsNotification& notification) {
  // The previous announcement is out of date: it goes, the new one takes its place.
  if (popup_) delete popup_.data();
  frmNotification* window = create(languages_, platform_, notification);
  popup_ = window;
  popupFeedIds_ = notification.feedIds;
  connect(window, &frmNotification::lineActivated, this, [this](int row) {
    if (row < 0 || row >= popupFeedIds_.size()) return;
    emit feedRequested(popupFeedIds_.at(row));
  });
  emit popupCreated(window);
  window->show();
}

void DesktopNotifier::showOnDesktop(const NewItemsNotification& notification) {
  desktopFeedIds_ = notification.feedIds;
  const QString summary = languages_.getCaption(QStringLiteral("frmNotification_lblInfo"));
  service_->show(summary.isEmpty() ? QStringLiteral("Following Feeds Updated:") : summary,
                 notification.lines.join(QLatin1Char('\n')), languages_.getMessages(QStringLiteral("MSG_DSK_OPEN")));
  if (notification.playSound && QFileInfo::exists(notification.soundFilePath))
    platform_.playSound(notification.soundFilePath);
}

}  // namespace tidewell
