#include "support/ui/ViewerLoad.h"

#include "feeds/ui/frmViewFeed.h"

#include <QSignalSpy>

namespace tidewell::test {

bool loadFeedAndWait(frmViewFeed& viewer, bool loadStored) {
  QSignalSpy finished(&viewer, &frmViewFeed::checkFinished);
  viewer.LoadFeedData(loadStored);
  // A load without a check ends before LoadFeedData returns.
  return !finished.isEmpty() || finished.wait(30000);
}

}  // namespace tidewell::test
