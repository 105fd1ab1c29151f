#pragma once

#include "settings/PasswordVault.h"

namespace tidewell {

// The desktop's Secret Service (org.freedesktop.secrets on the session bus)
// through QtKeychain. Only a service that is running counts: the program
// never starts a keyring daemon, and never falls back to a plain file.
class KeyringVault : public PasswordVault {
 public:
  explicit KeyringVault(QString service) : service_(std::move(service)) {}

  bool available() const override;
  std::optional<QString> read(const QString& account) const override;
  bool write(const QString& account, const QString& secret) override;
  bool remove(const QString& account) override;

 private:
  QString service_;
};

}  // namespace tidewell
