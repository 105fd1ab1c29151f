#pragma once

#include <QString>

#include <optional>

namespace tidewell {

// Where a secret can be kept outside AppCfg.cfg: the desktop's keyring, or a
// stand-in in tests. Every call may block briefly on the keyring.
class PasswordVault {
 public:
  virtual ~PasswordVault() = default;
  // Whether a keyring is there to take secrets now.
  virtual bool available() const = 0;
  // The secret stored under account; nullopt when none or the keyring failed.
  virtual std::optional<QString> read(const QString& account) const = 0;
  virtual bool write(const QString& account, const QString& secret) = 0;
  virtual bool remove(const QString& account) = 0;
};

}  // namespace tidewell
