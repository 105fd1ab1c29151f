#include "feeds/StoreLock.h"

#include <QDir>
#include <QFileInfo>

namespace tidewell {

StoreLock::StoreLock(const QString& storePath, int waitMs) : lock_(storePath + QStringLiteral(".lock")) {
  QDir().mkpath(QFileInfo(storePath).absolutePath());
  lock_.setStaleLockTime(30000);
  locked_ = lock_.tryLock(waitMs);
  // A folder where no lock file can be made (read-only) has no other
  // writer to be kept out: the operation goes on and meets the folder's
  // own error when it saves.
  if (!locked_ && lock_.error() != QLockFile::LockFailedError) locked_ = true;
}

}  // namespace tidewell
