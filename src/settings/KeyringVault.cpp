#include "settings/KeyringVault.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>

#include <qt6keychain/keychain.h>

namespace tidewell {

namespace {

// Runs a keychain job to its end (it reports through finished()).
bool runJob(QKeychain::Job& job) {
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
  return job.error() == QKeychain::NoError;
}

}  // namespace

bool KeyringVault::available() const {
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return false;
  return bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value();
}

std::optional<QString> KeyringVault::read(const QString& account) const {
  if (!available()) return std::nullopt;
  QKeychain::ReadPasswordJob job(service_);
  job.setAutoDelete(false);
  job.setInsecureFallback(false);
  job.setKey(account);
  if (!runJob(job)) return std::nullopt;
  return job.textData();
}

bool KeyringVault::write(const QString& account, const QString& secret) {
  if (!available()) return false;
  QKeychain::WritePasswordJob job(service_);
  job.setAutoDelete(false);
  job.setInsecureFallback(false);
  job.setKey(account);
  job.setTextData(secret);
  return runJob(job);
}

bool KeyringVault::remove(const QString& account) {
  if (!available()) return false;
  QKeychain::DeletePasswordJob job(service_);
  job.setAutoDelete(false);
  job.setInsecureFallback(false);
  job.setKey(account);
  return runJob(job);
}

}  // namespace tidewell
