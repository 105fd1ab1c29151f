// Apart from the other utilities: only this one needs Qt Network, and the
// programs that never go online should not load it for their sake.

#include "core/Utilities.h"

#include <QNetworkInformation>

namespace tidewell::util {

bool IsConnected() {
  if (QNetworkInformation::instance() == nullptr && !QNetworkInformation::loadDefaultBackend()) return true;
  const QNetworkInformation* info = QNetworkInformation::instance();
  if (info == nullptr) return true;
  // Only a definite "no network at all" counts: a local-only answer still
  // lets a feed on this machine or the local network be fetched.
  return info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

}  // namespace tidewell::util
