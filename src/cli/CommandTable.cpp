#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "cli/ConfigCommands.h"
#include "cli/DiscoverCommands.h"
#include "cli/EmailCommands.h"
#include "cli/ExportCommands.h"
#include "cli/FeedCommands.h"
#include "cli/FeedDbCommands.h"
#include "cli/IconCommands.h"
#include "cli/OpmlCommands.h"
#include "cli/PicturesCommands.h"
#include "cli/ReadingCommands.h"
#include "cli/RetentionCommands.h"
#include "cli/SchedulerCommands.h"

// Each group of commands lives in its own file; this table only lists them.
namespace tidewell::cli {

const std::vector<CliCommand>& commandTable() {
  static const std::vector<CliCommand> table = {
      {QStringLiteral("config"), QStringLiteral("config get SECTION KEY | config set SECTION KEY VALUE"),
       QStringLiteral("Read or write one value of AppCfg.cfg."), runConfig},
      {QStringLiteral("email"),
       QStringLiteral(
           "email show | email set [--server HOST] [--port N] [--security tls|starttls|none] [--auth on|off] "
           "[--user NAME] [--password-stdin] [--from-name NAME] [--from-email ADDRESS] [--allow-plain-auth] "
           "| email send FEED_ID ITEM_ID --to ADDRESSES [--subject TEXT] [--message TEXT] [--link-only] "
           "[--security tls|starttls|none] [--allow-plain-auth]"),
       QStringLiteral("Show or change the e-mail settings (as JSON; never the password, which set reads from "
                      "standard input), or send a stored item as the send window does. --security: tls = TLS from "
                      "the first byte (port 465), starttls = the session must be upgraded before the login, none = "
                      "unencrypted. A login over none is refused unless allowed once in the window or by "
                      "--allow-plain-auth."),
       runEmail},
      {QStringLiteral("schedule"),
       QStringLiteral("schedule list | add FEED_ID | remove FEED_ID | enable [--interval 0-6] | disable"),
       QStringLiteral("Show or change the feeds the scheduler checks, switch it on (interval index 0 = every 5 min "
                      "... 6 = every 3 hours) or off."),
       runSchedule},
      {QStringLiteral("list"), QStringLiteral("list [--json]"),
       QStringLiteral("Show the categories and their feeds as the tree does; --json prints one JSON object (with "
                      "each feed's stored icon file, when it has one)."),
       runList},
      {QStringLiteral("add-category"), QStringLiteral("add-category NAME"), QStringLiteral("Add a category."),
       runAddCategory},
      {QStringLiteral("rename-category"), QStringLiteral("rename-category OLD NEW"),
       QStringLiteral("Rename a category; a name another category has is refused."), runRenameCategory},
      {QStringLiteral("delete-category"), QStringLiteral("delete-category NAME"),
       QStringLiteral("Delete a category with its feeds (their stored items stay on disk)."), runDeleteCategory},
      {QStringLiteral("move-feed"), QStringLiteral("move-feed [--yes] ID CATEGORY"),
       QStringLiteral("Move a feed to the end of another category; --yes answers the confirmation."), runMoveFeed},
      {QStringLiteral("delete-feed"), QStringLiteral("delete-feed ID"),
       QStringLiteral("Delete a feed and its stored items."), runDeleteFeed},
      {QStringLiteral("parse"), QStringLiteral("parse [--type rss|atom|auto] [--base URL] FILE"),
       QStringLiteral("Parse a feed document (FILE, or - for standard input) and print its items as JSON lines; "
                      "relative links resolve against URL (the address it came from), else the feed's own link."),
       runParse},
      {QStringLiteral("add-feed"), QStringLiteral("add-feed URL --category NAME [--name TITLE]"),
       QStringLiteral("Validate a feed URL as the feed dialog does, add it (creating the category) and print its id."),
       runAddFeed},
      {QStringLiteral("discover"), QStringLiteral("discover URL"),
       QStringLiteral("Print the feeds an address gives (itself, or those its web page offers), one \"address<TAB>"
                      "title<TAB>type\" line each."),
       runDiscover},
      {QStringLiteral("items"), QStringLiteral("items ID"),
       QStringLiteral("Print the stored items of a feed as JSON lines, in store order."), runItems},
      {QStringLiteral("export"), QStringLiteral("export FEED_ID ITEM_ID (--html FILE | --text FILE)"),
       QStringLiteral("Export a stored item as the item menu does: a self-contained HTML document (sanitised, no "
                      "scripts) or plain text; prints a JSON object naming the file."),
       runExport},
      {QStringLiteral("download-enclosure"), QStringLiteral("download-enclosure FEED_ID ITEM_ID FILE"),
       QStringLiteral("Save a stored item's enclosure (a podcast episode) to FILE, whole or not at all, within the "
                      "free disk space; prints the file and its size as JSON."),
       runDownloadEnclosure},
      {QStringLiteral("check"), QStringLiteral("check [FEED_ID ...]"),
       QStringLiteral("Run the scheduled check over the schedule list (or the given feeds of feeds.fdb), logging to "
                      "schedule.log; prints a line per feed with new items."),
       runCheck},
      {QStringLiteral("import-opml"), QStringLiteral("import-opml FILE"),
       QStringLiteral("Subscribe the feeds of an OPML list, each validated as the feed dialog does; prints what was "
                      "added, skipped as a duplicate or refused (with the reason)."),
       runImportOpml},
      {QStringLiteral("export-opml"), QStringLiteral("export-opml FILE"),
       QStringLiteral("Write the categories and feeds as an OPML 2.0 list, one outline per category."), runExportOpml},
      {QStringLiteral("retention"),
       QStringLiteral("retention set (FEED_ID | --all) [--keep N] [--days D] [--include-unread] [--default] | "
                      "retention show"),
       QStringLiteral("Choose how much of a feed's stored items is kept (--all: the default for every feed without "
                      "its own choice; --default: the feed follows it again): the newest N and/or those younger "
                      "than D days; starred items are always kept, unread ones only with --include-unread. "
                      "show prints the default and each feed's limits as JSON lines."),
       runRetention},
      {QStringLiteral("pictures"), QStringLiteral("pictures set FEED_ID (on | off | default) | pictures show"),
       QStringLiteral("Choose whether a feed's items load remote pictures (default: as the application setting "
                      "\"Load remote pictures\" says); show prints the setting and each feed's choice as JSON "
                      "lines."),
       runPictures},
      {QStringLiteral("prune"), QStringLiteral("prune [FEED_ID ...]"),
       QStringLiteral("Apply the retention limits now to every feed (or the given ones); prints how many items each "
                      "lost as JSON lines."),
       runPrune},
      {QStringLiteral("icons"), QStringLiteral("icons fetch [FEED_ID ...]"),
       QStringLiteral("Fetch the site icon of every feed (or the given ones) as the tree does: the feed's own "
                      "picture, else an icon its home page names, else /favicon.ico; prints a JSON line per feed "
                      "with the picture's address and the stored file, or the reason there is none."),
       runIcons},
  };
  static const std::vector<CliCommand> all = [] {
    std::vector<CliCommand> commands = table;
    const std::vector<CliCommand>& reading = readingCommands();
    commands.insert(commands.end(), reading.begin(), reading.end());
    return commands;
  }();
  return all;
}

int runCommand(const CliCommand& command, AppContext& context, const QStringList& args) {
  if (command.run) return command.run(context, args);
  ReadingData data{context.paths, context.messages, context.itemIndex};
  return command.runReading(data, args);
}

// Kept beside the table: the quick reading program links the output helpers
// without it.
int usageError(const QString& commandName) {
  for (const auto& command : commandTable()) {
    if (command.name == commandName) return usageError(command);
  }
  return kExitUsage;
}

}  // namespace tidewell::cli
