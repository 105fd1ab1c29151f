#include "core/UserStore.h"

#include <QDir>
#include <QSettings>

#include <memory>

namespace tidewell {

namespace {

std::unique_ptr<QSettings> open(const QString& folder, const QString& app, bool machine) {
  if (!folder.isEmpty()) {
    const QString name = machine ? QStringLiteral("machine.ini") : QStringLiteral("user.ini");
    return std::make_unique<QSettings>(QDir(folder).filePath(name), QSettings::IniFormat);
  }
  return std::make_unique<QSettings>(QSettings::IniFormat, machine ? QSettings::SystemScope : QSettings::UserScope, app,
                                     app);
}

}  // namespace

UserStore::UserStore(QString folder, QString applicationName)
    : folder_(std::move(folder)), applicationName_(std::move(applicationName)) {}

QString UserStore::read(bool machine, const QString& section, const QString& key, const QString& fallback) const {
  auto settings = open(folder_, applicationName_, machine);
  return settings->value(section + QLatin1Char('/') + key, fallback).toString();
}

void UserStore::write(bool machine, const QString& section, const QString& key, const QString& value) {
  auto settings = open(folder_, applicationName_, machine);
  settings->setValue(section + QLatin1Char('/') + key, value);
  settings->sync();
}

QString UserStore::userValue(const QString& section, const QString& key, const QString& fallback) const {
  return read(false, section, key, fallback);
}
void UserStore::setUserValue(const QString& section, const QString& key, const QString& value) {
  write(false, section, key, value);
}
QString UserStore::machineValue(const QString& section, const QString& key, const QString& fallback) const {
  return read(true, section, key, fallback);
}
void UserStore::setMachineValue(const QString& section, const QString& key, const QString& value) {
  write(true, section, key, value);
}

}  // namespace tidewell
