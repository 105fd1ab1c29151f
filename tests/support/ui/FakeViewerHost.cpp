#include "support/ui/FakeViewerHost.h"

namespace tidewell::test {

void FakeViewerHost::sendItemByEmail(const QString& channel, const QString& title, const QString& link,
                                     const QString& description) {
  sent = {channel, title, link, description};
}

}  // namespace tidewell::test
