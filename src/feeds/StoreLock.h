#pragma once

#include <QLockFile>
#include <QString>

namespace tidewell {

// Held around one load-change-save of a store, so two instances of the
// program (or a window and a scheduled check) working on the same feed do not
// both append the same new items or undo each other's read marks. A lock left
// by a killed process is stale and taken over. Nobody is asked anything while
// it is held: a message box would keep every other writer waiting on the user.
class StoreLock {
 public:
  StoreLock(const QString& storePath, int waitMs);
  // False only when another writer holds the store.
  bool locked() const { return locked_; }
  void release() { lock_.unlock(); }

 private:
  QLockFile lock_;
  bool locked_ = false;
};

}  // namespace tidewell
