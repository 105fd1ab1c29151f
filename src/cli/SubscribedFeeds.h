#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tidewell {

struct AppContext;

namespace cli {

struct SubscribedFeed {
  QString id;
  QString name;
  QString url;
};

// The subscribed feeds in tree order; nullopt when feeds.fdb is unusable (said).
std::optional<std::vector<SubscribedFeed>> subscribedFeeds(AppContext& context);

}  // namespace cli
}  // namespace tidewell
