#include "core/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tidewell {

namespace {

// QFileInfo::isWritable() trusts permission bits, which lie on read-only
// mounts and for root; creating a file is the only honest test.
bool canCreateFilesIn(const QString& folder) {
  if (!QFileInfo(folder).isDir()) return false;
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tidewell-write-test-XXXXXX")));
  return probe.open();
}

}  // namespace

AppPaths::AppPaths(QString appFolder, QString programFolder)
    : appFolder_(QDir::cleanPath(std::move(appFolder))), programFolder_(QDir::cleanPath(std::move(programFolder))) {}

QString AppPaths::resolveAppFolder(const QString& programFolder, const QString& homeOverride) {
  if (!homeOverride.isEmpty()) return QDir(homeOverride).absolutePath();
  if (canCreateFilesIn(programFolder)) return QDir(programFolder).absolutePath();
  const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(perUser);
  return perUser;
}

AppPaths AppPaths::forProgram(const QString& programFolder) {
  const QString home = qEnvironmentVariable("TIDEWELL_HOME");
  return AppPaths(resolveAppFolder(programFolder, home), programFolder);
}

QString AppPaths::file(const QString& name) const { return QDir::toNativeSeparators(QDir(appFolder_).filePath(name)); }

QString AppPaths::shipped(const QString& name) const {
  const QString own = QDir(appFolder_).filePath(name);
  if (programFolder_.isEmpty() || QFileInfo::exists(own)) return QDir::toNativeSeparators(own);
  const QString shippedCopy = QDir(programFolder_).filePath(name);
  return QDir::toNativeSeparators(QFileInfo::exists(shippedCopy) ? shippedCopy : own);
}

QString AppPaths::dataFolder() const { return file(QStringLiteral("Data")); }
QString AppPaths::itemStore(const QString& feedId) const {
  return file(QStringLiteral("Data/") + feedId + QStringLiteral(".fdb"));
}
QString AppPaths::feedsDb() const { return file(QStringLiteral("feeds.fdb")); }
QString AppPaths::defaultFdb() const { return shipped(QStringLiteral("default.fdb")); }
QString AppPaths::appCfg() const { return file(QStringLiteral("AppCfg.cfg")); }
QString AppPaths::viewTpl() const { return shipped(QStringLiteral("view.tpl")); }
QString AppPaths::emailTpl() const { return shipped(QStringLiteral("email.tpl")); }
QString AppPaths::previewTmp() const { return file(QStringLiteral("~preview.tmp")); }
QString AppPaths::notifyWav() const { return shipped(QStringLiteral("notify.wav")); }
QString AppPaths::scheduleLog() const { return file(QStringLiteral("schedule.log")); }
QString AppPaths::localization() const { return shipped(QStringLiteral("Localization.txt")); }
QString AppPaths::localizationTarget() const { return file(QStringLiteral("Localization.txt")); }
QString AppPaths::helpFile() const { return shipped(QStringLiteral("Help.html")); }
QString AppPaths::debugXml() const { return file(QStringLiteral("Debug.xml")); }

}  // namespace tidewell
