#include "core/AppPaths.h"

#include "TidewellConfig.h"

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

AppPaths::AppPaths(QString appFolder, QString programFolder, QString installedDataFolder)
    : appFolder_(QDir::cleanPath(appFolder)),
      programFolder_(QDir::cleanPath(programFolder)),
      installedDataFolder_(installedDataFolder.isEmpty() ? QString() : QDir::cleanPath(installedDataFolder)) {}

QString AppPaths::installedDataFolderFor(const QString& programFolder) {
  if (programFolder.isEmpty()) return {};
  return QDir::cleanPath(QDir(programFolder).filePath(QString::fromUtf8(config::kInstalledDataRelative)));
}

bool AppPaths::isInstalled(const QString& programFolder) {
  // The default database is the one shipped file the program cannot start
  // without, so its presence marks the installed layout.
  const QString shared = installedDataFolderFor(programFolder);
  return !shared.isEmpty() && QFileInfo::exists(QDir(shared).filePath(QStringLiteral("default.fdb")));
}

QString AppPaths::resolveAppFolder(const QString& programFolder, const QString& homeOverride) {
  if (!homeOverride.isEmpty()) return QDir(homeOverride).absolutePath();
  // An installed program never writes into bin/, even when it could (root).
  if (!isInstalled(programFolder) && canCreateFilesIn(programFolder)) return QDir(programFolder).absolutePath();
  QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(perUser);
  return perUser;
}

AppPaths AppPaths::forProgram(const QString& programFolder) {
  const QString home = qEnvironmentVariable("TIDEWELL_HOME");
  return AppPaths(resolveAppFolder(programFolder, home), programFolder, installedDataFolderFor(programFolder));
}

AppPaths AppPaths::forFolder(const QString& appFolder, const QString& programFolder) {
  return AppPaths(QDir(appFolder).absolutePath(), programFolder, installedDataFolderFor(programFolder));
}

QString AppPaths::file(const QString& name) const { return QDir::toNativeSeparators(QDir(appFolder_).filePath(name)); }

QString AppPaths::shipped(const QString& name) const {
  const QString own = QDir(appFolder_).filePath(name);
  if (QFileInfo::exists(own)) return QDir::toNativeSeparators(own);
  for (const QString* folder : {&installedDataFolder_, &programFolder_}) {
    if (folder->isEmpty()) continue;
    const QString shippedCopy = QDir(*folder).filePath(name);
    if (QFileInfo::exists(shippedCopy)) return QDir::toNativeSeparators(shippedCopy);
  }
  return QDir::toNativeSeparators(own);
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
QString AppPaths::iconFolder() const { return file(QStringLiteral("Icons")); }
QString AppPaths::feedIcon(const QString& feedId) const {
  return file(QStringLiteral("Icons/") + feedId + QStringLiteral(".png"));
}

}  // namespace tidewell
