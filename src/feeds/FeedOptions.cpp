#include "feeds/FeedOptions.h"

#include "feeds/FeedXml.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"

#include <cstring>

namespace tidewell {

namespace {

constexpr int kLockWaitMs = 10000;

}  // namespace

std::optional<RetentionPolicy> FeedOptions::retention() const {
  StoreDocument store;
  if (loadStore(path_, store) != LoadState::Loaded || !store.data) return std::nullopt;
  return RetentionPolicy::fromElement(FeedXml::child(store.data, "retention"));
}

bool FeedOptions::setRetention(const std::optional<RetentionPolicy>& policy) const {
  if (!policy) return writeElement("retention", {});
  return writeElement("retention", [&policy](pugi::xml_node& element) { policy->writeTo(element); });
}

std::optional<bool> FeedOptions::remotePictures() const {
  StoreDocument store;
  if (loadStore(path_, store) != LoadState::Loaded || !store.data) return std::nullopt;
  const pugi::xml_node element = FeedXml::child(store.data, "pictures");
  if (!element) return std::nullopt;
  const char* load = element.attribute("load").value();
  if (std::strcmp(load, "1") == 0) return true;
  if (std::strcmp(load, "0") == 0) return false;
  return std::nullopt;  // written by something else: the default holds
}

bool FeedOptions::setRemotePictures(std::optional<bool> load) const {
  if (!load) return writeElement("pictures", {});
  return writeElement("pictures", [load](pugi::xml_node& element) {
    element.remove_attributes();
    element.append_attribute("load").set_value(*load ? "1" : "0");
  });
}

bool FeedOptions::writeElement(const char* name, const std::function<void(pugi::xml_node&)>& fill) const {
  StoreLock lock(path_, kLockWaitMs);
  if (!lock.locked()) return false;
  StoreDocument store;
  const LoadState state = loadStore(path_, store);
  if (state == LoadState::NotXml || state == LoadState::Unreadable) return false;
  if (state == LoadState::Missing) {
    if (!fill) return true;
    createSkeleton(store, true);
  }
  if (!store.data) return false;
  pugi::xml_node element = FeedXml::child(store.data, name);
  if (!fill) {
    if (!element) return true;
    store.data.remove_child(element);
  } else {
    if (!element) element = store.data.append_child(name);
    fill(element);
  }
  return saveStore(store, path_).ok();
}

}  // namespace tidewell
