#pragma once

#include "feeds/FeedDiscovery.h"

#include <QList>
#include <QStringList>

namespace tidewell {

struct AppContext;

namespace cli {

// discover URL: the feeds an address gives, one "address<TAB>title<TAB>type"
// line each (the address itself when it is a feed).
int runDiscover(AppContext& context, const QStringList& args);

// add-feed's answer to a page offering several feeds: they are listed on
// stderr and none is taken, so the caller picks one and runs add-feed again.
int listCandidates(const QList<DiscoveredFeed>& feeds);

QString discoveredTypeName(int type);

}  // namespace cli
}  // namespace tidewell
