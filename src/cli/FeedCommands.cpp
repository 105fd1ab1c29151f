#include "cli/FeedCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "core/Utilities.h"
#include "feeddb/FeedRecord.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedValidation.h"
#include "feeds/ItemStore.h"

#include <QFile>

#include <cstdio>
#include <utility>
#include <vector>

namespace tidewell::cli {

namespace {

QString jsonString(const QString& text) {
  QString out;
  out.reserve(text.size() + 2);
  out += QLatin1Char('"');
  for (QChar c : text) {
    switch (c.unicode()) {
      case '"': out += QLatin1String("\\\""); break;
      case '\\': out += QLatin1String("\\\\"); break;
      case '\n': out += QLatin1String("\\n"); break;
      case '\r': out += QLatin1String("\\r"); break;
      case '\t': out += QLatin1String("\\t"); break;
      case '\b': out += QLatin1String("\\b"); break;
      case '\f': out += QLatin1String("\\f"); break;
      default:
        if (c.unicode() < 0x20) {
          out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
          out += c;
        }
    }
  }
  out += QLatin1Char('"');
  return out;
}

// One JSON object on one line, keys in the given order.
QString jsonLine(const std::vector<std::pair<const char*, QString>>& fields) {
  QString line = QStringLiteral("{");
  for (const auto& [key, value] : fields) {
    if (line.size() > 1) line += QLatin1Char(',');
    line += QLatin1Char('"') + QLatin1String(key) + QStringLiteral("\":") + jsonString(value);
  }
  return line + QLatin1Char('}');
}

bool readInput(const QString& name, QByteArray& bytes) {
  QFile file;
  const bool ok = name == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                             : (file.setFileName(name), file.open(QIODevice::ReadOnly));
  if (!ok) return false;
  bytes = file.readAll();
  return true;
}

}  // namespace

int runParse(AppContext&, const QStringList& args) {
  QString type = QStringLiteral("auto");
  QString fileName;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--type") && i + 1 < args.size()) {
      type = args[++i];
    } else if (args[i].startsWith(QLatin1String("--")) || !fileName.isEmpty()) {
      return usageError(QStringLiteral("parse"));
    } else {
      fileName = args[i];
    }
  }
  if (fileName.isEmpty() ||
      !(type == QLatin1String("rss") || type == QLatin1String("atom") || type == QLatin1String("auto"))) {
    return usageError(QStringLiteral("parse"));
  }
  QByteArray bytes;
  if (!readInput(fileName, bytes)) {
    printErr(QStringLiteral("tidewell-cli: cannot read ") + fileName);
    return kExitFailed;
  }
  FeedFormat format = type == QLatin1String("atom") ? FeedFormat::Atom : FeedFormat::Rss;
  if (type == QLatin1String("auto")) {
    // The feed dialog's detection picks the parser; what it cannot place goes
    // to the RSS parser, which says why it is refused.
    const FeedDetection detection = DetectFeedType(bytes);
    if (detection.ok() && detection.type == 1) format = FeedFormat::Atom;
  }
  const ParseResult result = format == FeedFormat::Atom ? ParseAtomItems(bytes) : ParseRssItems(bytes);
  if (!result.ok()) {
    printErr(ParseFailureText(format, result.failure));
    return kExitFailed;
  }
  QByteArray out;
  for (const FeedItem& item : result.items) {
    out += jsonLine({{"title", item.title},
                     {"link", item.link},
                     {"day", item.day},
                     {"month", item.month},
                     {"year", item.year},
                     {"time", item.time},
                     {"description", item.description},
                     {"media", item.media},
                     {"id", item.id},
                     {"datekey", DateKey(item)}})
               .toUtf8();
    out += '\n';
  }
  std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
  return kExitOk;
}

int runAddFeed(AppContext& context, const QStringList& args) {
  QString url;
  QString category;
  QString name;
  bool haveName = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--category") && i + 1 < args.size()) {
      category = args[++i];
    } else if (args[i] == QLatin1String("--name") && i + 1 < args.size()) {
      name = args[++i];
      haveName = true;
    } else if (args[i].startsWith(QLatin1String("--")) || !url.isEmpty()) {
      return usageError(QStringLiteral("add-feed"));
    } else {
      url = args[i];
    }
  }
  if (url.isEmpty() || category.isEmpty()) return usageError(QStringLiteral("add-feed"));
  if (util::IsBlank(url)) {
    context.messages.showMessage(QStringLiteral("Please specify Feed URL."), QStringLiteral("Feed URL?"),
                                 MessageIcon::Exclamation);
    return kExitFailed;
  }

  CheckFeedRequest request;
  request.url = url;
  request.debugXmlPath = context.paths.debugXml();
  const FeedDetection detection = CheckFeed(request, context.messages);
  if (detection.type < 0) return kExitFailed;

  mCategories categories(context.paths, context.messages);
  if (!categories.CategoryExists(category) && !categories.AddCategory(category)) {
    context.messages.showMessage(
        QStringLiteral("Application failed to create specified Category. Please try some other Category name or "
                       "choose from existing ones."),
        QStringLiteral("Failed to Create Category!"), MessageIcon::Exclamation);
    return kExitFailed;
  }
  FeedRecord record;
  record.name = haveName ? name : (detection.hasTitle ? detection.title : QString());
  record.category = category;
  record.type = feedTypeFromCode(static_cast<qint16>(detection.type));
  record.url = url;
  record.id = util::NewFeedID();
  mFeeds feeds(context.paths, context.messages);
  if (!feeds.AddFeed(record)) return kExitFailed;
  printOut(record.id);
  return kExitOk;
}

int runItems(AppContext& context, const QStringList& args) {
  if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) return usageError(QStringLiteral("items"));
  const ItemStore store(context.paths.itemStore(args[0]));
  const std::optional<StoredItems> stored = store.LoadStoredItems(context.messages);
  if (!stored) return kExitFailed;
  QByteArray out;
  for (const StoredItem& item : stored->items) {
    out += jsonLine({{"id", item.id},
                     {"status", item.status},
                     {"title", item.title},
                     {"link", item.link},
                     {"date", item.date},
                     {"media", item.media}})
               .toUtf8();
    out.chop(1);  // the closing brace: a JSON boolean follows the strings
    out += item.starred ? ",\"starred\":true}\n" : ",\"starred\":false}\n";
  }
  std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
  return kExitOk;
}

}  // namespace tidewell::cli
