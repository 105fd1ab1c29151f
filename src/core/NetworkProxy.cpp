#include "core/NetworkProxy.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>

#include <atomic>

namespace tidewell {

namespace {

std::atomic<bool> chosen{false};

}  // namespace

void NetworkProxy::apply(const ProxyConfig& config) {
  chosen = true;
  if (!config.isManual()) {
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    return;
  }
  QNetworkProxyFactory::setUseSystemConfiguration(false);
  const auto type = config.mode == ProxyConfig::Mode::Socks5 ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy;
  QNetworkProxy proxy(type, config.host.trimmed(), static_cast<quint16>(config.port), config.user);
  QNetworkProxy::setApplicationProxy(proxy);
}

void NetworkProxy::useSystemUnlessChosen() {
  if (chosen.exchange(true)) return;
  QNetworkProxyFactory::setUseSystemConfiguration(true);
}

}  // namespace tidewell
