#include "support/ui/FakePlatform.h"

#include <QDialog>

namespace tidewell::test {

bool FakePlatform::openUrl(const QString& address) {
  opened << address;
  return openSucceeds;
}

bool FakePlatform::openFile(const QString& path) {
  opened << path;
  return openSucceeds;
}

int FakePlatform::runModal(QDialog& dialog) {
  modals << dialog.objectName();
  return onModal ? onModal(dialog) : modalResult;
}

}  // namespace tidewell::test
