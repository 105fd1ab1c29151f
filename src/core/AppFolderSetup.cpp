#include "core/AppFolderSetup.h"

#include "core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tidewell {

Status PrepareAppFolder(const AppPaths& paths) {
  const QString source = QStringLiteral("PrepareAppFolder");
  if (!QDir().mkpath(paths.dataFolder())) {
    return Status::failure({1, source, QStringLiteral("cannot create ") + paths.dataFolder()});
  }
  if (QFile::exists(paths.feedsDb())) return Status::success();
  QFile shipped(paths.defaultFdb());
  // Without a shipped default the first save writes a new feeds.fdb.
  if (!shipped.open(QIODevice::ReadOnly)) return Status::success();
  const QByteArray bytes = shipped.readAll();
  // Whole or not at all: a half-copied feeds.fdb would never be copied again.
  // A new file, so it is writable even when the shipped one is read-only.
  QSaveFile copy(paths.feedsDb());
  if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.commit()) {
    return Status::failure({2, source, copy.errorString()});
  }
  return Status::success();
}

}  // namespace tidewell
