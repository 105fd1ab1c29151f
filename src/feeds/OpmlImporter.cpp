#include "feeds/OpmlImporter.h"

#include "core/UserMessages.h"
#include "core/Utilities.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeds/FeedValidation.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace tidewell {

namespace {

ErrorInfo failure(const QString& description) { return {1, QStringLiteral("ImportOpml"), description}; }

// Only web addresses are fetched: a list from elsewhere must not make the
// program read local files or other schemes.
bool isWebAddress(const QString& url) {
  const QUrl parsed(url);
  const QString scheme = parsed.scheme().toLower();
  return parsed.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
         !parsed.host().isEmpty();
}

}  // namespace

int OpmlImportReport::count(OpmlImportEntry::Outcome outcome) const {
  return static_cast<int>(
      std::count_if(entries.begin(), entries.end(), [&](const OpmlImportEntry& e) { return e.outcome == outcome; }));
}

OpmlImporter::OpmlImporter(const AppPaths& paths, UserMessages& messages, QObject* parent)
    : QObject(parent), paths_(paths), messages_(messages) {}

void OpmlImporter::validateAll(std::vector<Check>& checks) {
  QNetworkAccessManager* manager = manager_ != nullptr ? manager_ : new QNetworkAccessManager(this);
  QEventLoop loop;
  size_t next = 0;
  int running = 0;
  int checked = 0;
  const int total = static_cast<int>(checks.size());
  for (const Check& check : checks) checked += check.done ? 1 : 0;
  std::vector<FeedDownloader*> active;
  abortRunning_ = [&] {
    // Aborted downloads report through finished(), which ends the loop.
    for (FeedDownloader* downloader : std::vector<FeedDownloader*>(active)) downloader->abort();
    if (running == 0) loop.quit();
  };
  std::function<void()> startMore = [&] {
    while (!cancelled_ && running < concurrency_ && next < checks.size()) {
      Check& check = checks[next++];
      if (check.done) continue;
      auto* downloader = new FeedDownloader(manager, this);
      ++running;
      active.push_back(downloader);
      connect(downloader, &FeedDownloader::finished, this,
              [&, downloader, target = &check](const DownloadResult& result) {
                downloader->deleteLater();
                active.erase(std::find(active.begin(), active.end(), downloader));
                --running;
                target->done = true;
                emit progress(++checked, total);
                if (result.error == DownloadError::Timeout) {
                  target->reason = QString::fromLatin1(kCheckFeedTimeoutText);
                } else if (!result.completed() && (result.error != DownloadError::Network || result.body.isEmpty())) {
                  target->reason = result.errorMessage;
                } else {
                  const FeedDetection detection = DetectFeedType(result.body, result.charset);
                  if (detection.failure == DetectFailure::InvalidXml) {
                    // With the dialog's explanation of what the answer was instead.
                    target->reason = QString::fromLatin1(kCheckFeedInvalidText) + QLatin1Char(' ') +
                                     InvalidFeedReason(QUrl(target->feed.url), result, detection.xmlError);
                  } else if (detection.failure == DetectFailure::NotSupported) {
                    target->reason = QString::fromLatin1(kCheckFeedUnsupportedText);
                  } else {
                    target->type = detection.type;
                    if (detection.hasTitle) target->title = detection.title.trimmed();
                  }
                }
                startMore();
                if (running == 0 && (next >= checks.size() || cancelled_)) loop.quit();
              });
      DownloadOptions options;
      options.url = QUrl(check.feed.url);
      options.timeoutMs = timeoutMs_;
      downloader->start(options);
    }
  };
  emit progress(checked, total);
  startMore();
  if (running > 0) loop.exec();
  abortRunning_ = nullptr;
  if (manager != manager_) manager->deleteLater();
}

void OpmlImporter::cancel() {
  cancelled_ = true;
  if (abortRunning_) abortRunning_();
}

Result<OpmlImportReport> OpmlImporter::Import(const OpmlOutline& outline) {
  mCategories categories(paths_, messages_);
  QStringList existing;
  if (!categories.LoadCategories(existing)) {
    return Result<OpmlImportReport>::failure(failure(QStringLiteral("The feed database could not be read.")));
  }
  const bool connected = isConnected_ ? isConnected_() : util::IsConnected();
  if (!connected) {
    return Result<OpmlImportReport>::failure(
        failure(QStringLiteral("Application failed to access Internet connection on this machine; nothing was "
                               "imported.")));
  }

  std::vector<Check> checks;
  for (const OpmlCategory& category : outline.categories) {
    for (const OpmlFeed& feed : category.feeds) {
      Check check;
      check.category = category.name;
      check.feed = feed;
      if (!isWebAddress(feed.url)) {
        check.done = true;
        check.reason = QStringLiteral("Only http and https addresses can be subscribed.");
      }
      checks.push_back(std::move(check));
    }
  }
  cancelled_ = false;
  validateAll(checks);
  if (cancelled_) {
    return Result<OpmlImportReport>::failure(
        failure(QStringLiteral("The import was cancelled; nothing was imported.")));
  }

  OpmlImportReport report;
  mFeeds feeds(paths_, messages_);
  auto ensureCategory = [&](const QString& name) {
    return categories.CategoryExists(name) || categories.AddCategory(name);
  };
  size_t index = 0;
  for (const OpmlCategory& category : outline.categories) {
    // An empty folder still becomes a category, so a list exported from an
    // empty category comes back whole.
    if (category.feeds.empty()) (void)ensureCategory(category.name);
    for (size_t i = 0; i < category.feeds.size(); ++i, ++index) {
      const Check& check = checks[index];
      OpmlImportEntry entry;
      entry.category = category.name;
      entry.url = check.feed.url;
      entry.name = check.title.isEmpty() ? check.feed.title : check.title;
      if (entry.name.isEmpty()) entry.name = check.feed.url;
      if (check.type < 0) {
        entry.reason = check.reason;
        report.entries.push_back(std::move(entry));
        continue;
      }
      if (!ensureCategory(category.name)) {
        entry.reason = QStringLiteral("Application failed to create specified Category.");
        report.entries.push_back(std::move(entry));
        continue;
      }
      FeedRecord record;
      record.category = category.name;
      record.name = entry.name;
      record.url = entry.url;
      record.type = feedTypeFromCode(static_cast<qint16>(check.type));
      if (feeds.FeedExists(record)) {
        entry.outcome = OpmlImportEntry::Outcome::Duplicate;
      } else {
        record.id = util::NewFeedID();
        if (feeds.AddFeed(record)) {
          entry.outcome = OpmlImportEntry::Outcome::Added;
          entry.feedId = record.id;
        } else {
          entry.reason = QStringLiteral("The feed database refused the feed.");
        }
      }
      report.entries.push_back(std::move(entry));
    }
  }
  return report;
}

}  // namespace tidewell
