#include "email/EmailPreconditions.h"

#include "core/AppPaths.h"
#include "core/UserMessages.h"
#include "core/Utilities.h"
#include "settings/mSettings.h"

namespace tidewell {

SmtpSettings ToSmtpSettings(const mSettings& settings) {
  SmtpSettings smtp;
  smtp.host = settings.smtpServer;
  smtp.port = settings.smtpPort;
  smtp.security = settings.smtpSecurity;
  smtp.authenticate = settings.smtpAuth != 0;
  smtp.userName = settings.smtpUser;
  smtp.password = settings.smtpPassword;
  smtp.senderAddress = settings.senderEmail;
  smtp.senderName = settings.senderName;
  return smtp;
}

bool CheckEmailReady(mSettings& settings, const AppPaths& paths, UserMessages& messages,
                     const std::function<void()>& showEmailSettings) {
  settings.LoadEmailSettings();
  if (util::IsBlank(settings.smtpServer)) {
    if (messages.askYesNo(QStringLiteral("Email Server Settings are not properly configured. Would you like to set "
                                         "Email Server Settings now?"),
                          QStringLiteral("Email Server Settings not configured!"))) {
      if (showEmailSettings) {
        showEmailSettings();
      }
    } else {
      messages.showMessage(QStringLiteral("Application cannot send Email. Please configure Email Server from "
                                          "\"Email Settings\" panel and try again."),
                           QStringLiteral("Cannot Send Email!"), MessageIcon::Exclamation);
    }
    return false;
  }
  if (!util::FileExists(paths.emailTpl())) {
    messages.showMessage(QStringLiteral("Required Email Message object file is missing or hidden. Please reinstall "
                                        "application to resolve this issue."),
                         QStringLiteral("Error!"), MessageIcon::Exclamation);
    return false;
  }
  return true;
}

}  // namespace tidewell
