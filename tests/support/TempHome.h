#pragma once

#include "core/AppPaths.h"
#include "core/UserStore.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tidewell::test {

// A throw-away application folder with its own per-user store, so a test
// never touches the real ones. Shipped files come from the source tree's data/.
class TempHome {
 public:
  TempHome();

  const QString& path() const { return path_; }
  AppPaths paths() const;
  UserStore userStore() const;
  // Full path of name inside the folder.
  QString file(const QString& name) const;
  // Writes bytes to name (folders created), returns the full path.
  QString write(const QString& name, const QByteArray& bytes) const;
  QByteArray read(const QString& name) const;

  // The source tree's folders, for fixtures and shipped data.
  static QString sourceDir();
  static QString testDataDir();  // tests/data
  static QString binDir();       // the built programs
  static QString corpusDir();    // ../shared/corpus/feeds

 private:
  QTemporaryDir dir_;
  QString path_;
};

}  // namespace tidewell::test
