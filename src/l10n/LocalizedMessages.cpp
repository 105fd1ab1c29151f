#include "l10n/LocalizedMessages.h"

#include "l10n/clsLanguages.h"

namespace tidewell {

QString LocalizedMessages::tr(const QString& text) const { return languages_.translate(text); }

void LocalizedMessages::showMessage(const QString& text, const QString& title, MessageIcon icon) {
  target_.showMessage(tr(text), tr(title), icon);
}

bool LocalizedMessages::askYesNo(const QString& text, const QString& title) {
  return target_.askYesNo(tr(text), tr(title));
}

bool LocalizedMessages::askRetryCancel(const QString& text, const QString& title, MessageIcon icon) {
  return target_.askRetryCancel(tr(text), tr(title), icon);
}

QString LocalizedMessages::saveFileName(const QString& title, const QString& suggestedName, const QString& filter) {
  return target_.saveFileName(tr(title), suggestedName, tr(filter));
}

}  // namespace tidewell
