#include "feeds/ui/PreviewPage.h"

#include <QRegularExpression>

namespace tidewell {

QString PreviewPage::fill(const QString& templateText, const FeedItem& item, const QString& appName) {
  QString description = item.body();
  description.replace(QChar(10), QStringLiteral("\r\n"));
  QString page = templateText;
  page.replace(QStringLiteral("[[title]]"), item.title);
  page.replace(QStringLiteral("[[link]]"), item.media.isEmpty() ? item.link : item.media);
  page.replace(QStringLiteral("[[app]]"), appName);
  page.replace(QStringLiteral("[[desc]]"), description);
  page.replace(QStringLiteral("[[date]]"), item.day + QLatin1Char(' ') + item.month + QLatin1Char(' ') + item.year);
  page.replace(QStringLiteral("[[time]]"), item.time);
  return page;
}

QString PreviewPage::bodyInnerHtml(const QString& page) {
  static const QRegularExpression open(QStringLiteral("<body(\\s[^>]*)?>"), QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression close(QStringLiteral("</body\\s*>"), QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch start = open.match(page);
  if (!start.hasMatch()) return page;
  const qsizetype from = start.capturedEnd();
  const qsizetype to = page.lastIndexOf(close);
  return page.mid(from, to >= from ? to - from : -1);
}

}  // namespace tidewell
