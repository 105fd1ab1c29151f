#pragma once

namespace tidewell::test {

// Makes the program's exit wait until Qt's network threads have ended.
// Such a thread signals "finished" to the manager that waits for it before
// the thread itself has run its exit handlers, among them OpenSSL's, which
// free the per-thread random generators. A test that ends at once would have
// the leak checker scan the process in that window and report them.
void drainNetworkThreadsAtExit();

}  // namespace tidewell::test
