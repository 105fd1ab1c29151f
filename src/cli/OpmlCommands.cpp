#include "cli/OpmlCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "feeddb/OpmlDocument.h"
#include "feeds/OpmlImporter.h"

#include <QFile>
#include <QSaveFile>

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
  Result<OpmlOutline> outline = OpmlDocument::FromFeedsDb(context.paths.feedsDb(), context.messages);
  if (!outline) return kExitFailed;
  OpmlOutline list = std::move(outline).value();
  list.title = context.identity.programName + QStringLiteral(" Subscriptions");
  // Unbuffered and the count checked, so a full disk fails the export
  // instead of commit() renaming a truncated file over the old one.
  QSaveFile file(args[0]);
  const QByteArray bytes = OpmlDocument::Write(list);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() || !file.commit()) {
    printErr(QStringLiteral("tidewell-cli: cannot write ") + args[0]);
    return kExitFailed;
  }
  size_t feeds = 0;
  for (const OpmlCategory& category : list.categories) feeds += category.feeds.size();
  printErr(QStringLiteral("%1 categories, %2 feeds written to %3").arg(list.categories.size()).arg(feeds).arg(args[0]));
  return kExitOk;
}

}  // namespace tidewell::cli
