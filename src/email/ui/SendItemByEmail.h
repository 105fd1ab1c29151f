#pragma once

#include "email/EmailItem.h"

#include <functional>

class QWidget;

namespace tidewell {

struct AppContext;
class Platform;

// The viewer's "email" item command: loads the e-mail settings, makes sure a
// server is set (offering the settings through showEmailSettings) and that
// email.tpl exists, then shows the send window modally over parent.
void SendItemByEmail(AppContext& context, Platform& platform, QWidget* parent, const EmailItem& item,
                     const std::function<void()>& showEmailSettings);

// Only the send window, modally over parent, for a caller that made the checks.
void ShowSendEmailWindow(AppContext& context, Platform& platform, QWidget* parent, const EmailItem& item);
// The same, with the item's parts in the order a feed viewer hands them over.
void ShowSendEmailWindow(AppContext& context, Platform& platform, QWidget* parent, const QString& channelName,
                         const QString& title, const QString& link, const QString& description);

}  // namespace tidewell
