#include "cli/ExportCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "core/Utilities.h"
#include "feeds/ItemExport.h"
#include "feeds/ItemStore.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tidewell::cli {

int runExport(AppContext& context, const QStringList& args) {
  QString feedId;
  QString itemId;
  QString file;
  bool html = false;
  int formats = 0;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if ((args[i] == QLatin1String("--html") || args[i] == QLatin1String("--text")) && i + 1 < args.size()) {
      html = args[i] == QLatin1String("--html");
      file = args[++i];
      ++formats;
    } else if (!args[i].startsWith(QLatin1String("--")) && feedId.isEmpty()) {
      feedId = args[i];
    } else if (!args[i].startsWith(QLatin1String("--")) && itemId.isEmpty()) {
      itemId = args[i];
    } else {
      return usageError(QStringLiteral("export"));
    }
  }
  if (feedId.isEmpty() || itemId.isEmpty() || formats != 1 || util::IsBlank(file)) {
    return usageError(QStringLiteral("export"));
  }

  FeedItem item;
  if (!ItemStore(context.paths.itemStore(feedId))
           .ItemOperation(ItemRef{itemId, 0}, QStringLiteral("getinfo"), false, context.messages, &item)) {
    printErr(QStringLiteral("tidewell-cli: no item ") + itemId + QStringLiteral(" in feed ") + feedId);
    return kExitFailed;
  }
  context.languages.loadLanguage(context.currentLanguage);
  const QString note = context.languages.getMessages(QStringLiteral("MSG_SEC_CUT"));
  const QString text = html ? ItemExport::Html(item, context.identity.programName, note) : ItemExport::Text(item, note);
  if (!util::WriteTextFile(file, text, &context.messages)) return kExitFailed;
  QJsonObject result{{QStringLiteral("feed"), feedId},
                     {QStringLiteral("item"), itemId},
                     {QStringLiteral("format"), html ? QStringLiteral("html") : QStringLiteral("text")},
                     {QStringLiteral("file"), file}};
  printOut(QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Compact)));
  return kExitOk;
}

}  // namespace tidewell::cli
