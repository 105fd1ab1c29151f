#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tidewell {

struct AppContext;

namespace cli {

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
};

// Every command, in the order --help lists them.
const std::vector<CliCommand>& commandTable();

// Output helpers shared by the commands.
void printOut(const QString& line);          // line + "\n" on stdout, UTF-8
void printErr(const QString& line);          // line + "\n" on stderr, UTF-8
int usageError(const CliCommand& command);   // prints "usage: tidewell-cli <usage>", returns kExitUsage
int usageError(const QString& commandName);  // the same, by the command's name in the table

}  // namespace cli
}  // namespace tidewell
