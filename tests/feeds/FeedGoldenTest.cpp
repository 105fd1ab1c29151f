// Every feed under tests/data/feeds/ is parsed in-process, the way the
// command-line tool and the feed dialog place it (detected type, then that
// parser), and compared with its NAME.expected.json: {"items": [...]} in
// document order, or {"error": "..."} for a feed that is refused.
//
// A new case is a new NAME.xml; TIDEWELL_UPDATE_GOLDEN=1 writes the expected
// files from what the parser gives now (read the diff before committing it).

#include "feeds/FeedDates.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedValidation.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::TempHome;

QJsonObject itemJson(const FeedItem& item) {
  return {{"title", item.title},     {"link", item.link},       {"day", item.day},
          {"month", item.month},     {"year", item.year},       {"time", item.time},
          {"media", item.media},     {"id", item.id},           {"description", item.description},
          {"content", item.content}, {"datekey", DateKey(item)}};
}

QJsonObject parsedJson(const QByteArray& bytes) {
  const FeedDetection detection = DetectFeedType(bytes);
  const FeedFormat format = detection.ok() && detection.type == 1 ? FeedFormat::Atom : FeedFormat::Rss;
  const ParseResult result = ParseFeedItems(format == FeedFormat::Atom ? 1 : 0, bytes);
  if (!result.ok()) return {{"error", ParseFailureText(format, result.failure)}};
  QJsonArray items;
  for (const FeedItem& item : result.items) items.append(itemJson(item));
  return {{"items", items}};
}

// One item per line: a changed field shows as one changed line in a diff.
QByteArray goldenText(const QJsonObject& parsed) {
  if (!parsed.contains(QStringLiteral("items"))) return QJsonDocument(parsed).toJson(QJsonDocument::Compact) + '\n';
  QByteArray out = "{\"items\": [\n";
  const QJsonArray items = parsed.value(QStringLiteral("items")).toArray();
  for (qsizetype i = 0; i < items.size(); ++i) {
    out += "  " + QJsonDocument(items[i].toObject()).toJson(QJsonDocument::Compact);
    out += i + 1 < items.size() ? ",\n" : "\n";
  }
  return out + "]}\n";
}

TEST(FeedGolden, EveryFeedParsesToItsExpectedItems) {
  const QDir dir(TempHome::testDataDir() + QStringLiteral("/feeds"));
  const QStringList feeds = dir.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
  ASSERT_FALSE(feeds.isEmpty()) << dir.path().toStdString();
  const bool update = qEnvironmentVariableIntValue("TIDEWELL_UPDATE_GOLDEN") == 1;
  for (const QString& name : feeds) {
    SCOPED_TRACE(name.toStdString());
    QFile input(dir.filePath(name));
    ASSERT_TRUE(input.open(QIODevice::ReadOnly));
    const QJsonObject actual = parsedJson(input.readAll());
    QFile expectedFile(dir.filePath(name.chopped(4) + QStringLiteral(".expected.json")));
    if (update) {
      ASSERT_TRUE(expectedFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
      expectedFile.write(goldenText(actual));
      continue;
    }
    ASSERT_TRUE(expectedFile.open(QIODevice::ReadOnly)) << "no " << expectedFile.fileName().toStdString();
    QJsonParseError error{};
    const QJsonDocument expected = QJsonDocument::fromJson(expectedFile.readAll(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(actual, expected.object()) << "actual:\n" << goldenText(actual).toStdString();
  }
}

}  // namespace
}  // namespace tidewell
