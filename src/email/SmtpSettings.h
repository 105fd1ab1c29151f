#pragma once

#include "settings/SmtpSecurity.h"

#include <QString>

namespace tidewell {

// What a send needs from the e-mail settings, kept apart from the settings
// store so the mail component can be used and tested on its own.
struct SmtpSettings {
  QString host;
  QString port;  // as stored: decimal text; blank means the security's standard port
  SmtpSecurity security = SmtpSecurity::StartTls;
  bool authenticate = false;
  QString userName;
  QString password;  // never put into a message or a log
  QString senderAddress;
  QString senderName;
  QString caFile;  // certificates to trust instead of the system's; empty: the system's
  int connectTimeoutSeconds = 30;
  int stallTimeoutSeconds = 60;  // give up when nothing moves for this long
};

}  // namespace tidewell
