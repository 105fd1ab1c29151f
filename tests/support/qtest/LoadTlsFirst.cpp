#include <QCoreApplication>
#include <QSslSocket>

#include "NetworkThreadDrain.h"

namespace {

// Qt Test programs build their own QApplication in QTEST_MAIN. This runs as
// soon as it exists, before any test: the TLS backend (and OpenSSL) is then
// loaded for the whole run, so the per-thread allocations OpenSSL makes in
// Qt's network threads belong to a module the leak checker knows by name.
void loadTlsBackend() {
  (void)QSslSocket::supportsSsl();
  tidewell::test::drainNetworkThreadsAtExit();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(loadTlsBackend)
