#pragma once

#include <QString>

class QNetworkAccessManager;
class QWidget;

namespace tidewell {

struct AppContext;

// "Download enclosure": asks where to save the item's enclosure, downloads it
// there with a progress box whose Cancel stops it, and says how it ended.
// Other windows keep running while it downloads.
class EnclosureSaver {
 public:
  static void save(AppContext& context, QWidget* parent, QNetworkAccessManager* manager, const QString& url);
};

}  // namespace tidewell
