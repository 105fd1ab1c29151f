#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace tidewell {

// Which addresses from a feed may leave the program, and in what form.
class LinkPolicy {
 public:
  // An address the user's browser or mail program may be given: http and
  // https as they are; mailto reduced to its recipients, so a feed cannot
  // have the mail program attach a file or fill in a message. Anything else
  // (file:, javascript:, bare paths, other programs' schemes): nothing.
  static std::optional<QUrl> forOpening(const QUrl& url);
  static std::optional<QUrl> forOpening(const QString& address);

  // The page an item stands for: its own link; its enclosure only when it
  // has no link that may be opened (a podcast's "original" is the episode's
  // page, not the audio file).
  static std::optional<QUrl> original(const QString& link, const QString& enclosure);

  // Where a picture may come from over the network: http and https only.
  static bool isRemotePicture(const QUrl& url);
};

}  // namespace tidewell
