#include "feeds/ui/ItemRow.h"

#include "core/Utilities.h"
#include "feeds/FeedDates.h"
#include "feeds/FeedItem.h"
#include "feeds/ItemStore.h"
#include "feeds/ui/frmViewFeed.h"

#include <QCollator>
#include <QLocale>
#include <QTime>
#include <QTreeWidget>

namespace tidewell {

namespace {

// The system's long time form without a time zone, as the dates are shown
// in the zone the feed wrote them in.
QString longTime(const QString& time) {
  if (util::IsBlank(time)) return {};
  QTime parsed = QTime::fromString(time, QStringLiteral("H:mm:ss"));
  if (!parsed.isValid()) parsed = QTime::fromString(time, QStringLiteral("H:mm"));
  if (!parsed.isValid()) return {};
  static const QString format = [] {
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    f.remove(QLatin1Char('t'));
    return f.trimmed();
  }();
  return QLocale().toString(parsed, format);
}

QString shownDate(const FeedItem& date, const QString& time) {
  return date.day + QLatin1Char(' ') + date.month + QLatin1Char(' ') + date.year + QStringLiteral(" ; ") + time;
}

}  // namespace

ItemRow* ItemRow::fromStored(const StoredItem& item) {
  auto* row = new ItemRow;
  row->setText(frmViewFeed::ColTitle, item.title);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::TagRole, item.link);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::MediaRole, item.media);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::IdRole, item.id);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::OccurrenceRole, item.occurrence);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::StarRole, item.starred);
  FeedItem date;
  ItemStore::SplitStoredDate(item.date, date);
  const QString time = longTime(date.time);
  if (!time.isEmpty()) {
    row->setText(frmViewFeed::ColPublished, shownDate(date, time));
    row->setText(frmViewFeed::ColDateSort, DateKey(date.day, date.month, date.year, date.time));
  }
  return row;
}

ItemRow* ItemRow::fromNew(const FeedItem& item, int occurrence, const QString& noDate) {
  auto* row = new ItemRow;
  row->setText(frmViewFeed::ColTitle, item.title);
  const QString time = longTime(item.time);
  if (!item.hasDate() || time.isEmpty()) {
    row->setText(frmViewFeed::ColPublished, noDate);
    row->setText(frmViewFeed::ColDateSort, QStringLiteral("0"));
  } else {
    row->setText(frmViewFeed::ColPublished, shownDate(item, time));
    row->setText(frmViewFeed::ColDateSort, DateKey(item));
  }
  row->setData(frmViewFeed::ColTitle, frmViewFeed::TagRole, item.link);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::MediaRole, item.media);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::IdRole, item.id);
  row->setData(frmViewFeed::ColTitle, frmViewFeed::OccurrenceRole, occurrence);
  return row;
}

bool ItemRow::operator<(const QTreeWidgetItem& other) const {
  const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
  if (column != frmViewFeed::ColTitle) return text(column) < other.text(column);
  // Titles in natural order: "report 2" before "report 29".
  static const QCollator collator = [] {
    QCollator c;
    c.setNumericMode(true);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator.compare(text(column), other.text(column)) < 0;
}

}  // namespace tidewell
