#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tidewell {

struct AppContext;

namespace cli {

struct ReadingData;

// Exit codes every command keeps.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // refused or failed operation
inline constexpr int kExitUsage = 2;   // bad usage

// One sub-command of tidewell-cli. run() gets the arguments after the command
// name; it prints results to stdout and messages (through the context's
// UserMessages) to stderr.
struct CliCommand {
  QString name;
  QString usage;    // "add-category NAME"
  QString summary;  // one line for --help
  int (*run)(AppContext& context, const QStringList& args);
  // Set instead of run for the commands that need only the stores and the
  // index (see ReadingCommands.h).
  int (*runReading)(ReadingData& data, const QStringList& args) = nullptr;
};

// Every command, in the order --help lists them.
const std::vector<CliCommand>& commandTable();
// Runs a command of the table with the program's state.
int runCommand(const CliCommand& command, AppContext& context, const QStringList& args);

// Output helpers shared by the commands.
void printOut(const QString& line);          // line + "\n" on stdout, UTF-8
void printErr(const QString& line);          // line + "\n" on stderr, UTF-8
int usageError(const CliCommand& command);   // prints "usage: tidewell-cli <usage>", returns kExitUsage
int usageError(const QString& commandName);  // the same, by the command's name in the table

}  // namespace cli
}  // namespace tidewell
