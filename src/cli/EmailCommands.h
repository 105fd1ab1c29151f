#pragma once

#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// email show | email set OPTIONS | email send FEED_ID ITEM_ID --to ADDRESSES
// [OPTIONS]: the e-mail settings window and the item's send window without
// windows. The security choice and the consent to an unencrypted login are
// the windows' own; in place of the Yes a script passes --allow-plain-auth.
int runEmail(AppContext& context, const QStringList& args);

}  // namespace cli
}  // namespace tidewell
