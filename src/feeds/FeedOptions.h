#pragma once

#include "feeds/RetentionPolicy.h"

#include <QString>

#include <functional>
#include <optional>

namespace pugi {
class xml_node;
}

namespace tidewell {

// The choices a feed carries in its item store beside its items (elements
// after <items> that older readers pass over): its own retention limits and
// whether its pages load remote pictures. A missing element means the
// feed follows the application's setting.
//   <retention .../>  <pictures load="0|1"/>
class FeedOptions {
 public:
  explicit FeedOptions(QString storePath) : path_(std::move(storePath)) {}

  // nullopt when the feed follows the default (or the file is missing or damaged).
  std::optional<RetentionPolicy> retention() const;
  // With nullopt back to the default; creates the file when missing. False when it could not be saved.
  bool setRetention(const std::optional<RetentionPolicy>& policy) const;

  std::optional<bool> remotePictures() const;
  bool setRemotePictures(std::optional<bool> load) const;

 private:
  // Replaces (fill given) or removes (fill empty) the data element name.
  bool writeElement(const char* name, const std::function<void(pugi::xml_node&)>& fill) const;

  QString path_;
};

}  // namespace tidewell
