#pragma once

namespace tidewell {
class frmViewFeed;
}

namespace tidewell::test {

// LoadFeedData, then the wait for the load's end (its check answered and
// reported); false when it did not end within the wait.
bool loadFeedAndWait(frmViewFeed& viewer, bool loadStored = true);

}  // namespace tidewell::test
