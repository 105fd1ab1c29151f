#pragma once

#include <QTreeWidgetItem>

namespace tidewell {

struct FeedItem;
struct StoredItem;

// One row of a viewer's item list: title, date as shown, date key, and the
// item's link, enclosure, id and position among stored items with that id
// (frmViewFeed's columns and roles). Rows sort by the texts of the sort
// column as they are shown, titles in natural order.
class ItemRow : public QTreeWidgetItem {
 public:
  // A stored item, its date as the store keeps it (none shown when it has no time).
  static ItemRow* fromStored(const StoredItem& item);
  // An item a check added, at this position among the stored items with its
  // id; noDate is shown for an item without a usable date.
  static ItemRow* fromNew(const FeedItem& item, int occurrence, const QString& noDate);

  bool operator<(const QTreeWidgetItem& other) const override;

 private:
  ItemRow() = default;
};

}  // namespace tidewell
