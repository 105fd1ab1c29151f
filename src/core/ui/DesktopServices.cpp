#include "core/ui/DesktopServices.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tidewell {

bool OpenUrl(const QString& target) {
  if (target.isEmpty()) return false;
  const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
  return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace tidewell
