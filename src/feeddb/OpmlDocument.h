#pragma once

#include "core/Result.h"
#include "core/UserMessages.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tidewell {

struct OpmlFeed {
  QString title;  // the outline's text (or title); may be empty
  QString url;    // xmlUrl
  bool operator==(const OpmlFeed&) const = default;
};

struct OpmlCategory {
  QString name;
  std::vector<OpmlFeed> feeds;
  bool operator==(const OpmlCategory&) const = default;
};

// A subscription list as categories of feeds, in document order.
struct OpmlOutline {
  QString title;
  std::vector<OpmlCategory> categories;
};

struct OpmlExportSummary {
  int categories = 0;
  int feeds = 0;
};

// OPML 1.0 / 2.0 subscription lists. Reading flattens nested folders into
// their top-level folder (a category has no sub-categories) and files feeds
// outside any folder under a category named by the document's title, or
// "Imported". Writing gives OPML 2.0 with one folder outline per category.
class OpmlDocument {
 public:
  static inline const QString kLooseFeedsCategory = QStringLiteral("Imported");
  // The source of an export's failure to write its file.
  static inline const QString kExportSource = QStringLiteral("OpmlExport");

  // A malformed document fails with a description of what is wrong and
  // where; nothing partial is returned.
  static Result<OpmlOutline> Parse(const QByteArray& bytes);
  static QByteArray Write(const OpmlOutline& outline);

  // The categories and feeds of feeds.fdb in file order (problems reported
  // through messages, as every database operation does).
  static Result<OpmlOutline> FromFeedsDb(const QString& feedsDbPath, UserMessages& messages);
  // Writes feeds.fdb's list, titled title, to file: saved whole or not at
  // all (a full disk keeps the old file). The window and the command line
  // both export through here.
  static Result<OpmlExportSummary> ExportFeedsDb(const QString& feedsDbPath, const QString& title, const QString& file,
                                                 UserMessages& messages);
};

}  // namespace tidewell
