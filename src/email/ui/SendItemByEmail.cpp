#include "email/ui/SendItemByEmail.h"

#include "app/AppContext.h"
#include "email/EmailPreconditions.h"
#include "email/ui/frmSendEmail.h"

namespace tidewell {

void SendItemByEmail(AppContext& context, QWidget* parent, const EmailItem& item,
                     const std::function<void()>& showEmailSettings) {
  if (CheckEmailReady(context.settings, context.paths, context.messages, showEmailSettings)) {
    ShowSendEmailWindow(context, parent, item);
  }
}

void ShowSendEmailWindow(AppContext& context, QWidget* parent, const EmailItem& item) {
  frmSendEmail window(context, item, parent);
  window.setWindowModality(Qt::ApplicationModal);
  window.exec();
}

void ShowSendEmailWindow(AppContext& context, QWidget* parent, const QString& channelName, const QString& title,
                         const QString& link, const QString& description) {
  EmailItem item;
  item.channelName = channelName;
  item.feedTitle = title;
  item.itemLink = link;
  item.itemDescription = description;
  ShowSendEmailWindow(context, parent, item);
}

}  // namespace tidewell
