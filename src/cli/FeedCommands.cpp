#include "cli/FeedCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "cli/DiscoverCommands.h"
#include "cli/JsonLine.h"
#include "core/Utilities.h"
#include "feeddb/FeedRecord.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeds/EnclosureDownload.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedValidation.h"
#include "feeds/ItemStore.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>
#include <utility>
#include <vector>

namespace tidewell::cli {

namespace {

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
  QUrl base;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--type") && i + 1 < args.size()) {
      type = args[++i];
    } else if (args[i] == QLatin1String("--base") && i + 1 < args.size()) {
      base = QUrl(args[++i].trimmed());
      if (!base.isValid() || base.isRelative()) return usageError(QStringLiteral("parse"));
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
  const ParseResult result =
      format == FeedFormat::Atom ? ParseAtomItems(bytes, {}, base) : ParseRssItems(bytes, {}, base);
  if (!result.ok()) {
    printErr(ParseFailureText(format, result.failure));
    if (!result.detail.isEmpty()) printErr(QStringLiteral("tidewell-cli: parse: ") + result.detail);
    return kExitFailed;
  }
  QByteArray out;
  for (const FeedItem& item : result.items) {
    appendJsonLine(out, {{"title", item.title},
                         {"link", item.link},
                         {"day", item.day},
                         {"month", item.month},
                         {"year", item.year},
                         {"time", item.time},
                         {"description", item.description},
                         {"content", item.content},
                         {"media", item.media},
                         {"id", item.id},
                         {"datekey", DateKey(item)}});
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
  request.chooseFeed = listCandidates;
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
  // A page's address subscribes the feed it offers.
  record.url = detection.feedUrl.isEmpty() ? url : detection.feedUrl;
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
    appendJsonLine(out, {{"id", item.id},
                         {"status", item.status},
                         {"title", item.title},
                         {"link", item.link},
                         {"date", item.date},
                         {"media", item.media}});
    out.chop(2);  // "}\n": a JSON boolean follows the strings
    out += item.starred ? ",\"starred\":true}\n" : ",\"starred\":false}\n";
  }
  std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
  return kExitOk;
}

int runDownloadEnclosure(AppContext& context, const QStringList& args) {
  if (args.size() != 3 || args[0].startsWith(QLatin1String("--"))) {
    return usageError(QStringLiteral("download-enclosure"));
  }
  const std::optional<StoredItems> stored =
      ItemStore(context.paths.itemStore(args[0])).LoadStoredItems(context.messages);
  if (!stored) return kExitFailed;
  QString media;
  for (const StoredItem& item : stored->items) {
    if (item.id == args[1]) {
      media = item.media;
      break;
    }
  }
  if (util::IsBlank(media)) {
    printErr(QStringLiteral("tidewell-cli: download-enclosure: no stored item ") + args[1] +
             QStringLiteral(" with an enclosure"));
    return kExitFailed;
  }
  EnclosureDownload download;
  QString error;
  QEventLoop loop;
  QObject::connect(&download, &EnclosureDownload::finished, &loop, [&](const QString& reason) {
    error = reason;
    loop.quit();
  });
  download.start(QUrl(media.trimmed()), args[2]);
  loop.exec();
  if (!error.isEmpty()) {
    printErr(QStringLiteral("tidewell-cli: download-enclosure: ") + error);
    return kExitFailed;
  }
  QByteArray out;
  appendJsonLine(
      out, {{"file", QFileInfo(args[2]).absoluteFilePath()}, {"bytes", QString::number(QFileInfo(args[2]).size())}});
  std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
  return kExitOk;
}

}  // namespace tidewell::cli
