#include "cli/OpmlCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "feeddb/OpmlDocument.h"
#include "feeds/OpmlImporter.h"

#include <QFile>

namespace tidewell::cli {

namespace {

bool plainArgument(const QStringList& args) { return args.size() == 1 && !args[0].startsWith(QLatin1String("--")); }

}  // namespace

int runImportOpml(AppContext& context, const QStringList& args) {
  if (!plainArgument(args)) return usageError(QStringLiteral("import-opml"));
  QFile file(args[0]);
  if (!file.open(QIODevice::ReadOnly)) {
    printErr(QStringLiteral("tidewell-cli: cannot read ") + args[0]);
    return kExitFailed;
  }
  const Result<OpmlOutline> outline = OpmlDocument::Parse(file.readAll());
  if (!outline) {
    printErr(QStringLiteral("tidewell-cli: ") + args[0] + QStringLiteral(": ") + outline.error().description +
             QStringLiteral(" Nothing was imported."));
    return kExitFailed;
  }
  OpmlImporter importer(context.paths, context.messages);
  // The user's choice of downloads at once lives in AppCfg.cfg, which the
  // command line has not read yet.
  (void)context.settings.LoadSchedulerSettings(false);
  importer.setConcurrency(context.settings.downloadConcurrency);
  const Result<OpmlImportReport> report = importer.Import(outline.value());
  if (!report) {
    printErr(QStringLiteral("tidewell-cli: ") + report.error().description);
    return kExitFailed;
  }
  // One tab-separated line per feed: what happened, category, name, URL,
  // then the new id or the reason.
  for (const OpmlImportEntry& entry : report.value().entries) {
    switch (entry.outcome) {
      case OpmlImportEntry::Outcome::Added:
        printOut(QStringList{QStringLiteral("added"), entry.category, entry.name, entry.url, entry.feedId}.join('\t'));
        break;
      case OpmlImportEntry::Outcome::Duplicate:
        printOut(QStringList{QStringLiteral("duplicate"), entry.category, entry.name, entry.url}.join('\t'));
        break;
      case OpmlImportEntry::Outcome::Refused:
        printOut(
            QStringList{QStringLiteral("refused"), entry.category, entry.name, entry.url, entry.reason}.join('\t'));
        break;
    }
  }
  printErr(QStringLiteral("%1 added, %2 skipped as duplicates, %3 refused")
               .arg(report.value().count(OpmlImportEntry::Outcome::Added))
               .arg(report.value().count(OpmlImportEntry::Outcome::Duplicate))
               .arg(report.value().count(OpmlImportEntry::Outcome::Refused)));
  return kExitOk;
}

int runExportOpml(AppContext& context, const QStringList& args) {
  if (!plainArgument(args)) return usageError(QStringLiteral("export-opml"));
  const Result<OpmlExportSummary> exported = OpmlDocument::ExportFeedsDb(
      context.paths.feedsDb(), context.identity.programName + QStringLiteral(" Subscriptions"), args[0],
      context.messages);
  if (!exported) {
    // The database reported its own problem; a file that cannot be written is ours to say.
    if (exported.error().source == OpmlDocument::kExportSource)
      printErr(QStringLiteral("tidewell-cli: cannot write ") + args[0]);
    return kExitFailed;
  }
  printErr(QStringLiteral("%1 categories, %2 feeds written to %3")
               .arg(exported.value().categories)
               .arg(exported.value().feeds)
               .arg(args[0]));
  return kExitOk;
}

}  // namespace tidewell::cli
