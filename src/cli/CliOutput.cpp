#include "cli/CliCommand.h"

#include <cstdio>

namespace tidewell::cli {

namespace {
void write(FILE* stream, const QString& line) {
  const QByteArray bytes = line.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}
}  // namespace

void printOut(const QString& line) { write(stdout, line); }
void printErr(const QString& line) { write(stderr, line); }

int usageError(const CliCommand& command) {
  printErr(QStringLiteral("usage: tidewell-cli [--home DIR] ") + command.usage);
  return kExitUsage;
}

}  // namespace tidewell::cli
