#include "email/ui/SendItemByEmail.h"

#include "app/AppContext.h"
#include "core/ui/Platform.h"
#include "email/EmailPreconditions.h"
#include "email/ui/frmSendEmail.h"

namespace tidewell {

void SendItemByEmail(AppContext& context, Platform& platform, QWidget* parent, const EmailItem& item,
                     const std::function<void()>& showEmailSettings) {
  if (CheckEmailReady(context.settings, context.paths, context.messages, showEmailSettings)) {
    ShowSendEmailWindow(context, platform, parent, item);
  }
}

void ShowSendEmailWindow(AppContext& context, Platform& platform, QWidget* parent, const EmailItem& item) {
  frmSendEmail window(context, platform, item, parent);
  window.setWindowModality(Qt::ApplicationModal);
  platform.runModal(window);
}

void ShowSendEmailWindow(AppContext& context, Platform& platform, QWidget* parent, const QString& channelName,
                         const QString& title, const QString& link, const QString& description) {
  EmailItem item;
  item.channelName = channelName;
  item.feedTitle = title;
  item.itemLink = link;
  item.itemDescription = description;
  ShowSendEmailWindow(context, platform, parent, item);
}

}  // namespace tidewell
