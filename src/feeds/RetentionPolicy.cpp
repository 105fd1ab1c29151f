#include "feeds/RetentionPolicy.h"

#include "feeds/FeedDates.h"
#include "feeds/FeedItem.h"
#include "feeds/FeedXml.h"

#include <cstring>
#include <vector>

namespace tidewell {

namespace {

int attributeNumber(const pugi::xml_node& element, const char* name) {
  bool ok = false;
  const int value = FeedXml::value(element.attribute(name).value()).trimmed().toInt(&ok);
  return ok && value > 0 ? value : 0;
}

// The stored date ("2002-Sep-07T00:00:01") as a moment; invalid when undated.
QDateTime storedMoment(const pugi::xml_node& item) {
  pugi::xml_node date;
  for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && std::strcmp(c.name(), "date") == 0) {
      date = c;
      break;
    }
  }
  const QString text = FeedXml::text(date);
  const qsizetype t = text.indexOf(QLatin1Char('T'));
  if (t < 0) return {};
  const QStringList parts = text.left(t).split(QLatin1Char('-'));
  if (parts.size() != 3) return {};
  const QString key = DateKey(parts[2], parts[1], parts[0], text.mid(t + 1));
  if (key.size() != 14) return {};
  return QDateTime::fromString(key, QStringLiteral("yyyyMMddHHmmss"));
}

bool attributeIs(const pugi::xml_node& item, const char* name, const char* value) {
  return std::strcmp(item.attribute(name).value(), value) == 0;
}

}  // namespace

std::optional<RetentionPolicy> RetentionPolicy::fromElement(const pugi::xml_node& element) {
  if (!element) return std::nullopt;
  RetentionPolicy policy;
  policy.keepItems = attributeNumber(element, "keep");
  policy.keepDays = attributeNumber(element, "days");
  policy.includeUnread = std::strcmp(element.attribute("unread").value(), "1") == 0;
  return policy;
}

void RetentionPolicy::writeTo(pugi::xml_node element) const {
  element.remove_attributes();
  element.append_attribute("keep").set_value(keepItems > 0 ? keepItems : 0);
  element.append_attribute("days").set_value(keepDays > 0 ? keepDays : 0);
  element.append_attribute("unread").set_value(includeUnread ? "1" : "0");
}

int RetentionPolicy::apply(pugi::xml_node items, const QDateTime& now) const {
  if (keepsEverything() || !items) return 0;
  std::vector<pugi::xml_node> all;
  for (pugi::xml_node node = items.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element && std::strcmp(node.name(), "item") == 0) all.push_back(node);
  }
  const QDateTime cutoff = keepDays > 0 ? now.addDays(-keepDays) : QDateTime();
  const qsizetype firstKept = keepItems > 0 ? qMax<qsizetype>(0, static_cast<qsizetype>(all.size()) - keepItems) : 0;
  int removed = 0;
  for (qsizetype i = 0; i < static_cast<qsizetype>(all.size()); ++i) {
    const pugi::xml_node item = all[static_cast<size_t>(i)];
    bool outside = i < firstKept;
    if (!outside && cutoff.isValid()) {
      const QDateTime moment = storedMoment(item);
      outside = moment.isValid() && moment < cutoff;
    }
    if (!outside || attributeIs(item, "starred", "1")) continue;
    // Status "0" is unread; anything else reads as read, as the list shows it.
    if (!includeUnread && attributeIs(item, "status", "0")) continue;
    items.remove_child(item);
    ++removed;
  }
  return removed;
}

}  // namespace tidewell
