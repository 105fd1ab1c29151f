#include "NetworkThreadDrain.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <QDir>
#include <QFile>

namespace tidewell::test {

namespace {

// Qt names the thread after its object; the kernel keeps 15 characters.
bool networkThreadAlive() {
  const QDir tasks(QStringLiteral("/proc/self/task"));
  for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
    if (comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("QNetworkAccessM")) {
      return true;
    }
  }
  return false;
}

void drain() {
  // The thread has already been told to quit and is only running its exit
  // handlers; the bound is there so a stuck thread cannot hang the run.
  using namespace std::chrono_literals;
  const auto giveUp = std::chrono::steady_clock::now() + 10s;
  while (networkThreadAlive() && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(1ms);
  }
}

}  // namespace

void drainNetworkThreadsAtExit() {
#ifdef Q_OS_LINUX
  // Registered after the leak checker's own handler, so it runs before it.
  std::atexit(drain);
#endif
}

}  // namespace tidewell::test
