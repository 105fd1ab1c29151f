#pragma once

#include "email/SmtpSettings.h"

#include <functional>

namespace tidewell {

class AppPaths;
class UserMessages;
class mSettings;

// The e-mail settings as the mail component takes them.
SmtpSettings ToSmtpSettings(const mSettings& settings);

// The checks before an item may be sent, after loading the e-mail settings:
// a blank SMTP server asks "Email Server Settings not configured!" (Yes opens
// the settings through showEmailSettings, No explains "Cannot Send Email!");
// a missing email.tpl reports "Error!". True when the send window may open.
bool CheckEmailReady(mSettings& settings, const AppPaths& paths, UserMessages& messages,
                     const std::function<void()>& showEmailSettings);

}  // namespace tidewell
