#include "support/CliRunner.h"

#include "support/TempHome.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace tidewell::test {

CliRun runCli(const QStringList& args, const QByteArray& input, int timeoutMs) {
  QProcess process;
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  process.start(TempHome::binDir() + QStringLiteral("/tidewell-cli"), args);
  if (!input.isNull()) {
    process.write(input);
    process.closeWriteChannel();
  }
  loop.exec();
  CliRun run;
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}

}  // namespace tidewell::test
