#pragma once

#include "core/Utilities.h"
#include "feeds/FeedDates.h"
#include "feeds/ItemStore.h"
#include "scheduler/NewItemsNotifier.h"
#include "scheduler/SchedulerState.h"
#include "scheduler/mScheduler.h"
#include "settings/mSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"

#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tidewell::test {

// One item of a generated feed: its title (the link is derived from it) and
// its date in the feed's own shape.
struct TestItem {
  QString title;
  QString date;  // RSS: "Fri, 04 Dec 2026 09:16:03 GMT"; ATOM: "2026-12-04T09:16:03Z"
};

inline QByteArray rssFeed(const std::vector<TestItem>& items) {
  QByteArray out = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Test</title>";
  for (const TestItem& item : items) {
    out += "<item><title>" + item.title.toUtf8() + "</title><link>http://example.invalid/" + item.title.toUtf8() +
           "</link><pubDate>" + item.date.toUtf8() + "</pubDate><description>d</description></item>";
  }
  return out + "</channel></rss>";
}

inline QByteArray atomFeed(const std::vector<TestItem>& items) {
  QByteArray out = "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Test</title>";
  for (const TestItem& item : items) {
    out += "<entry><title>" + item.title.toUtf8() + "</title><link href=\"http://example.invalid/" +
           item.title.toUtf8() + "\"/><published>" + item.date.toUtf8() + "</published></entry>";
  }
  return out + "</feed>";
}

class RecordingNotifier : public NewItemsNotifier {
 public:
  void showNewItems(const NewItemsNotification& notification) override { shown.push_back(notification); }
  std::vector<NewItemsNotification> shown;
};

// A temporary application folder, its settings, a local server and a
// scheduler wired to them.
class SchedulerFixture : public ::testing::Test {
 protected:
  SchedulerFixture() { resetScheduler(); }

  void resetScheduler() {
    scheduler = std::make_unique<mScheduler>(home.paths(), settings, state);
    scheduler->setNotifier(&notifier);
    scheduler->setConnectivityTest([] { return true; });
  }

  static ScheduleEntry entry(const QString& caption, const QUrl& url, qint16 type = 0) {
    ScheduleEntry out;
    out.caption = caption;
    out.url = url.toString();
    out.feedType = type;
    out.feedId = util::NewFeedID();
    return out;
  }

  // Saves the schedule list (and the settings' other members) to AppCfg.cfg.
  void schedule(const QList<ScheduleEntry>& entries) {
    settings.scheduleList = entries;
    ASSERT_TRUE(settings.SaveSchedulerSettings(false));
  }

  ItemStore store(const ScheduleEntry& feed) const { return ItemStore(home.paths().itemStore(feed.feedId)); }

  QStringList storedTitles(const ScheduleEntry& feed) {
    QStringList out;
    const std::optional<StoredItems> items = store(feed).LoadStoredItems(messages);
    if (items) {
      for (const StoredItem& item : items->items) out << item.title;
    }
    return out;
  }

  QString logText() const { return QString::fromUtf8(home.read(QStringLiteral("schedule.log"))); }

  // The log's lines (split at CR LF; the final line break ends the last
  // line), with the dates of the start and finish blocks masked.
  QStringList logLines() const {
    QString text = logText();
    static const QRegularExpression date(QStringLiteral("\\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\)\r\n"));
    text.replace(date, QStringLiteral("(<date>)\r\n"));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
  }

  // The lines of one feed's block, from "Checking <caption>" to the line
  // before the next "Checking" or the finish block.
  QStringList feedBlock(const QString& caption) const {
    const QStringList lines = logLines();
    const qsizetype start = lines.indexOf(QStringLiteral("Checking ") + caption);
    if (start < 0) return {};
    QStringList out;
    for (qsizetype i = start; i < lines.size(); ++i) {
      if (i > start && (lines[i].startsWith(QLatin1String("Checking ")) ||
                        lines[i].startsWith(QLatin1String("Scheduled Check Finished")))) {
        break;
      }
      out << lines[i];
    }
    return out;
  }

  static QStringList block(const QString& caption, const QStringList& result) {
    return QStringList{QStringLiteral("Checking ") + caption,
                       QStringLiteral("    Sending Request to Source Server ..."),
                       QStringLiteral("    Request Sent, Waiting for Server Response ...")} +
           result + QStringList{QString(), QString()};
  }

  TempHome home;
  ScriptedMessages messages;
  mSettings settings{home.paths(), messages};
  SchedulerState state;
  TestHttpServer server;
  RecordingNotifier notifier;
  std::unique_ptr<mScheduler> scheduler;
};

}  // namespace tidewell::test
