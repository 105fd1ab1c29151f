#pragma once

#include <QString>

namespace tidewell {

// Whether the mail carries the item's whole description or only its address.
enum class EmailSendMode { FullDescription, LinkOnly };

// Everything the mail body is made of besides the template itself.
struct EmailBodyInput {
  QString fromName;         // the sender name setting
  QString personalMessage;  // plain text typed by the user
  QString title;            // the item's title (plain text)
  QString description;      // the item's description (HTML)
  QString link;             // the item's address
  EmailSendMode mode = EmailSendMode::FullDescription;
};

// The texts a placeholder is replaced by, exposed for the window and tests.
QString EmailPersonalMessageHtml(const QString& message);
QString EmailLinkHtml(const QString& link);
QString EmailFooter(const QString& appName);

// Fills email.tpl's "[[from_name]]", "[[personal_message]]", "[[title]]" and
// "[[description]]" (every occurrence, case-sensitive) and appends a line break
// and the disclaimer footer naming appName. The template is scanned once, so
// a placeholder typed into a message or carried by a feed is left as text and
// never expanded a second time. Plain-text values are HTML-escaped; the
// description goes in sanitised, as the preview shows it.
QString BuildEmailBody(const QString& templateText, const EmailBodyInput& input, const QString& appName);

// The item's title (on one line); "An Article from "<channel>"" for an item without one.
QString DefaultEmailSubject(const QString& channelName, const QString& itemTitle);

}  // namespace tidewell
