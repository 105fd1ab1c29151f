#pragma once

#include <QString>

namespace tidewell {

// The small per-user key/value store ("Settings"/"Language", "showHelp") and
// the machine-wide one ("Settings"/"chkSplash"), kept apart from AppCfg.cfg.
// Given a folder, both live there as INI files: tests and portable set-ups
// never touch the user's real settings.
class UserStore {
 public:
  explicit UserStore(QString folder = {}, QString applicationName = QStringLiteral("Tidewell"));

  QString userValue(const QString& section, const QString& key, const QString& fallback) const;
  void setUserValue(const QString& section, const QString& key, const QString& value);
  QString machineValue(const QString& section, const QString& key, const QString& fallback) const;
  void setMachineValue(const QString& section, const QString& key, const QString& value);

 private:
  QString read(bool machine, const QString& section, const QString& key, const QString& fallback) const;
  void write(bool machine, const QString& section, const QString& key, const QString& value);
  QString folder_;
  QString applicationName_;
};

}  // namespace tidewell
