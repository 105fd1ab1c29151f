#include "email/EmailBody.h"

#include "feeds/HtmlSanitizer.h"
#include "feeds/LinkPolicy.h"

#include <QStringList>

#include <array>
#include <utility>

namespace tidewell {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

QString escapeHtml(const QString& text) { return text.toHtmlEscaped().replace(QLatin1Char('\''), "&#39;"); }

}  // namespace

QString EmailPersonalMessageHtml(const QString& message) {
  // No message, no placeholder text in the mail.
  if (message.trimmed().isEmpty()) {
    return QString();
  }
  // Windows-style, Unix-style and old Mac line ends each count as one break.
  QString normalized = message;
  normalized.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QStringList lines = normalized.split(QLatin1Char('\n'));
  QStringList escaped;
  escaped.reserve(lines.size());
  for (const QString& line : lines) {
    escaped << escapeHtml(line);
  }
  return escaped.join(kLineBreak + QStringLiteral("<br>") + kLineBreak);
}

QString EmailLinkHtml(const QString& link) {
  const QString safe = escapeHtml(link);
  return QStringLiteral("View Online: <a href='") + safe + QStringLiteral("'>") + safe + QStringLiteral("</a>");
}

QString EmailFooter(const QString& appName) {
  QString footer = QStringLiteral(
      "<p><font face='Verdana' size='1' color='#666666'><center>:: <u>Disclaimer</u> :: <br>This Email is manually "
      "sent using [[app]]. In case of dispute, please contact Sender directly.</center></font></p><hr size='1' "
      "color='#666666'>");
  return footer.replace(QLatin1String("[[app]]"), escapeHtml(appName));
}

namespace {

// The feed's HTML as the preview shows it: the mail reader of the recipient
// gets no script, handler or tracking resource from the feed either.
QString sanitizedDescription(const EmailBodyInput& input) {
  const std::optional<QUrl> base = LinkPolicy::forOpening(input.link);
  return HtmlSanitizer().sanitize(input.description, base ? *base : QUrl()).html;
}

}  // namespace

QString BuildEmailBody(const QString& templateText, const EmailBodyInput& input, const QString& appName) {
  const std::array<std::pair<QString, QString>, 4> replacements{{
      {QStringLiteral("[[from_name]]"), escapeHtml(input.fromName)},
      {QStringLiteral("[[personal_message]]"), EmailPersonalMessageHtml(input.personalMessage)},
      {QStringLiteral("[[title]]"), escapeHtml(input.title)},
      {QStringLiteral("[[description]]"),
       input.mode == EmailSendMode::FullDescription ? sanitizedDescription(input) : EmailLinkHtml(input.link)},
  }};

  QString body;
  body.reserve(templateText.size() + input.description.size() + 1024);
  qsizetype pos = 0;
  while (pos < templateText.size()) {
    const qsizetype open = templateText.indexOf(QLatin1String("[["), pos);
    if (open < 0) {
      break;
    }
    bool replaced = false;
    for (const auto& [placeholder, value] : replacements) {
      if (QStringView(templateText).mid(open).startsWith(placeholder)) {
        body += QStringView(templateText).mid(pos, open - pos);
        body += value;
        pos = open + placeholder.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      body += QStringView(templateText).mid(pos, open + 1 - pos);
      pos = open + 1;
    }
  }
  body += QStringView(templateText).mid(pos);
  return body + kLineBreak + EmailFooter(appName);
}

QString DefaultEmailSubject(const QString& channelName, const QString& itemTitle) {
  // The item's own title says what the mail is about; the feed's name is
  // what is left when the item has none.
  QString title = itemTitle.simplified();
  if (!title.isEmpty()) return title;
  return QStringLiteral("An Article from \"") + channelName + QLatin1Char('"');
}

}  // namespace tidewell
