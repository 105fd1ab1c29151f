#pragma once

#include <QString>

namespace tidewell {

// The item a send window mails, as its opener hands it over.
struct EmailItem {
  QString channelName;  // the feed's name, used in the subject
  QString feedTitle;    // the item's title
  QString itemDescription;
  QString itemLink;  // the media address, or the item's link when it has none
};

}  // namespace tidewell
