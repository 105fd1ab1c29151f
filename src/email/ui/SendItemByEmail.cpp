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

}  // namespace tidewell
