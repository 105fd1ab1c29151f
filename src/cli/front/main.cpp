// tidewell-cli's front. Everyday reading (unread, search, mark-read, star) is
// answered here, by a program that links only Qt Core, Qt Sql and pugixml: a
// script that asks for the unread counts should not wait while the loader
// maps the network, mail and keyring libraries (about 40 of them) that only
// the other commands use. Everything else, --help included, is handed to the
// full program, which gets the same arguments.

#include "TidewellConfig.h"
#include "cli/CliHome.h"
#include "cli/ReadingCommands.h"
#include "core/AppPaths.h"
#include "core/StderrMessages.h"
#include "feeds/ItemIndex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <QProcess>
#endif

#include <vector>

using namespace tidewell;

namespace {

#ifdef Q_OS_WIN
const QString kFullProgram = QStringLiteral("tidewell-cli-full.exe");
#else
const QString kFullProgram = QStringLiteral("tidewell-cli-full");
#endif

// Beside this program in a build tree; in the private program folder of an
// installed one.
QString fullProgramPath() {
  const QDir here(QCoreApplication::applicationDirPath());
  for (const QString& folder : {here.path(), here.filePath(QString::fromLatin1(config::kInstalledLibexecRelative))}) {
    const QFileInfo candidate(QDir(folder).filePath(kFullProgram));
    if (candidate.isFile() && candidate.isExecutable()) return QDir::cleanPath(candidate.absoluteFilePath());
  }
  return {};
}

int runFullProgram(char* argv[]) {
  const QString path = fullProgramPath();
  if (path.isEmpty()) {
    cli::printErr(QStringLiteral("tidewell-cli: ") + kFullProgram + QStringLiteral(" is missing beside ") +
                  QCoreApplication::applicationDirPath());
    return cli::kExitFailed;
  }
  // The full program finds the shipped files and the application folder from
  // this program's folder, as if it had been started in its place.
  qputenv("TIDEWELL_CLI_FOLDER", QCoreApplication::applicationDirPath().toLocal8Bit());
#ifdef Q_OS_UNIX
  const QByteArray file = QFile::encodeName(path);
  argv[0] = const_cast<char*>(file.constData());
  execv(file.constData(), argv);
  cli::printErr(QStringLiteral("tidewell-cli: cannot start ") + path);
  return cli::kExitFailed;
#else
  QProcess full;
  full.setProcessChannelMode(QProcess::ForwardedChannels);
  full.setInputChannelMode(QProcess::ForwardedInputChannel);
  full.start(path, QCoreApplication::arguments().mid(1));
  if (!full.waitForFinished(-1)) return cli::kExitFailed;
  return full.exitCode();
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Tidewell"));
  QStringList args = app.arguments().mid(1);

  // The same leading options as the full program; any other goes there.
  QString home;
  while (args.size() >= 2 && args.first() == QLatin1String("--home")) {
    args.removeFirst();
    home = args.takeFirst();
  }
  if (args.isEmpty()) return runFullProgram(argv);
  const QString name = args.takeFirst();
  for (const cli::CliCommand& command : cli::readingCommands()) {
    if (command.name != name) continue;
    std::optional<AppPaths> paths = cli::OpenHome(home, QCoreApplication::applicationDirPath());
    if (!paths) return cli::kExitFailed;
    StderrMessages messages;
    ItemIndex index(*paths);
    cli::ReadingData data{*paths, messages, index};
    return command.runReading(data, args);
  }
  return runFullProgram(argv);
}
