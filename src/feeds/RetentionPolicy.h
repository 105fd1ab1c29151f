#pragma once

#include <QDateTime>

#include <pugixml.hpp>

#include <optional>

namespace tidewell {

// How much of a feed's item store is kept: the newest keepItems items and/or
// the items younger than keepDays days (0 = no such limit). Starred items are
// never removed; unread ones only with includeUnread. The default keeps
// everything.
struct RetentionPolicy {
  int keepItems = 0;
  int keepDays = 0;
  bool includeUnread = false;

  bool keepsEverything() const { return keepItems <= 0 && keepDays <= 0; }
  bool operator==(const RetentionPolicy&) const = default;

  // As stored: the attributes keep, days and unread of element; nullopt when
  // element is empty (the feed follows the default).
  static std::optional<RetentionPolicy> fromElement(const pugi::xml_node& element);
  void writeTo(pugi::xml_node element) const;

  // Removes the items under items that the policy does not keep; "newest" is
  // the store's order (items are appended as they arrive), the age is the
  // stored date's, and an undated item is never too old. The number removed.
  int apply(pugi::xml_node items, const QDateTime& now) const;
};

}  // namespace tidewell
