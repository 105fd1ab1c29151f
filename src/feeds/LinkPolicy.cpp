#include "feeds/LinkPolicy.h"

namespace tidewell {

std::optional<QUrl> LinkPolicy::forOpening(const QUrl& url) {
  if (!url.isValid() || url.isRelative()) return std::nullopt;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
    if (url.host().isEmpty()) return std::nullopt;
    return url;
  }
  if (scheme == QLatin1String("mailto")) {
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(url.path());
    if (mail.path().trimmed().isEmpty()) return std::nullopt;
    return mail;
  }
  return std::nullopt;
}

std::optional<QUrl> LinkPolicy::forOpening(const QString& address) { return forOpening(QUrl(address.trimmed())); }

std::optional<QUrl> LinkPolicy::original(const QString& link, const QString& enclosure) {
  if (std::optional<QUrl> page = forOpening(link)) return page;
  return forOpening(enclosure);
}

bool LinkPolicy::isRemotePicture(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

}  // namespace tidewell
