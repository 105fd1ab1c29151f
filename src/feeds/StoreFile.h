#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

namespace tidewell {

// How an item store's file was found. A file that cannot be opened is told
// apart from one that is not an item store.
enum class LoadState { Missing, Unreadable, NotXml, Loaded };

// One loaded store: the document points into buffer, so both live together.
struct StoreDocument {
  pugi::xml_document document;
  QByteArray buffer;
  pugi::xml_node data;   // ".//data"
  pugi::xml_node items;  // ".//data/items"
};

LoadState loadStore(const QString& path, StoreDocument& store);
// The skeleton a store starts from when its file does not exist yet.
void createSkeleton(StoreDocument& store, bool withItems);
// Written whole and atomically as UTF-8; a declaration kept from the loaded
// file is made to say so.
Status saveStore(StoreDocument& store, const QString& path);

}  // namespace tidewell
