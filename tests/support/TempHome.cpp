#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tidewell::test {

namespace {
QString envOr(const char* name, const QString& fallback) {
  const QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? fallback : value;
}
}  // namespace

TempHome::TempHome() : path_(dir_.path()) { QDir(path_).mkpath(QStringLiteral("settings")); }

AppPaths TempHome::paths() const { return AppPaths(path_, sourceDir() + QStringLiteral("/data")); }

UserStore TempHome::userStore() const { return UserStore(path_ + QStringLiteral("/settings")); }

QString TempHome::file(const QString& name) const { return QDir(path_).filePath(name); }

QString TempHome::write(const QString& name, const QByteArray& bytes) const {
  const QString full = file(name);
  QDir().mkpath(QFileInfo(full).absolutePath());
  QFile f(full);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
  return full;
}

QByteArray TempHome::read(const QString& name) const {
  QFile f(file(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString TempHome::sourceDir() { return envOr("TIDEWELL_SOURCE_DIR", QStringLiteral(TIDEWELL_TEST_SOURCE_DIR)); }
QString TempHome::testDataDir() { return sourceDir() + QStringLiteral("/tests/data"); }
QString TempHome::binDir() { return envOr("TIDEWELL_BIN_DIR", QStringLiteral(TIDEWELL_TEST_BIN_DIR)); }
QString TempHome::corpusDir() {
  return envOr("TIDEWELL_CORPUS_DIR", sourceDir() + QStringLiteral("/../shared/corpus/feeds"));
}

}  // namespace tidewell::test
