#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "cli/CliHome.h"
#include "core/NetworkProxy.h"
#include "core/StderrMessages.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace tidewell;

namespace {

void printHelp() {
  cli::printOut(QStringLiteral("usage: tidewell-cli [--home DIR] COMMAND [ARGS...]"));
  cli::printOut(QStringLiteral("       tidewell-cli --version | --help"));
  cli::printOut(QString());
  cli::printOut(QStringLiteral("Tidewell's feed logic without windows. --home names the application folder for this"));
  cli::printOut(QStringLiteral("call (default: TIDEWELL_HOME, else the program's folder)."));
  cli::printOut(QString());
  cli::printOut(QStringLiteral("commands:"));
  for (const auto& command : cli::commandTable()) {
    cli::printOut(QStringLiteral("  %1\n      %2").arg(command.usage, command.summary));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Tidewell"));
  QStringList args = app.arguments().mid(1);

  QString home;
  while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
    const QString option = args.takeFirst();
    if (option == QLatin1String("--version")) {
      cli::printOut(QStringLiteral("tidewell-cli ") + AppIdentity().version);
      return cli::kExitOk;
    }
    if (option == QLatin1String("--help")) {
      printHelp();
      return cli::kExitOk;
    }
    if (option == QLatin1String("--home") && !args.isEmpty()) {
      home = args.takeFirst();
      continue;
    }
    cli::printErr(QStringLiteral("tidewell-cli: unknown option ") + option);
    cli::printErr(QStringLiteral("usage: tidewell-cli [--home DIR] COMMAND [ARGS...]"));
    return cli::kExitUsage;
  }
  if (args.isEmpty()) {
    cli::printErr(QStringLiteral("usage: tidewell-cli [--home DIR] COMMAND [ARGS...]  (--help lists the commands)"));
    return cli::kExitUsage;
  }

  const QString name = args.takeFirst();
  for (const auto& command : cli::commandTable()) {
    if (command.name != name) continue;
    // Started by the front (tidewell-cli), this program stands in for it.
    const QString programFolder = qEnvironmentVariable("TIDEWELL_CLI_FOLDER", QCoreApplication::applicationDirPath());
    std::optional<AppPaths> paths = cli::OpenHome(home, programFolder);
    if (!paths) return cli::kExitFailed;
    StderrMessages messages;
    AppContext context(std::move(*paths), UserStore(qEnvironmentVariable("TIDEWELL_SETTINGS_DIR")), messages);
    context.settings.LoadProxySettings();
    NetworkProxy::apply(context.settings.proxy);
    return cli::runCommand(command, context, args);
  }
  cli::printErr(QStringLiteral("tidewell-cli: unknown command ") + name +
                QStringLiteral(" (--help lists the commands)"));
  return cli::kExitUsage;
}
