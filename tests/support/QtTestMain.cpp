#include <QCoreApplication>
#include <QSslSocket>

#include <gtest/gtest.h>

#include "NetworkThreadDrain.h"

// GoogleTest programs run inside a QCoreApplication, so logic that waits for
// the network (a local event loop) and QObject timers work as in the program.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Load the TLS backend (and OpenSSL) before any test runs, so the leak
  // checker's list of loaded modules includes it and its suppression of
  // OpenSSL's per-thread allocations applies.
  (void)QSslSocket::supportsSsl();
  tidewell::test::drainNetworkThreadsAtExit();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
