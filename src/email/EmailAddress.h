#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

namespace tidewell {

// True for a plain "local@domain" address that an SMTP server accepts without
// extensions: ASCII only, a dot-atom local part and a host name of letters,
// digits and hyphens (a single label such as "localhost" is allowed).
bool IsValidEmailAddress(const QString& address);

// True when the text holds a character that would end a header line.
bool HasLineBreak(const QString& text);

// The recipients of a "To" text: split at ";", blanks trimmed, empty parts
// dropped. "Name <address>" parts give their address. Fails, naming the
// offending part, when a part is not an address or no address is left.
Result<QStringList> ParseRecipients(const QString& toText);

}  // namespace tidewell
