#pragma once

#include <QByteArray>
#include <QStringList>

namespace tidewell::test {

struct CliRun {
  int exitCode = -1;  // -1 when it crashed or did not finish in time
  QByteArray out;
  QByteArray err;
};

// Runs the built tidewell-cli while this thread's event loop keeps serving
// in-process test servers (a blocking wait would starve them). A non-null
// input is written to its standard input, which is then closed.
CliRun runCli(const QStringList& args, const QByteArray& input = {}, int timeoutMs = 60000);

}  // namespace tidewell::test
