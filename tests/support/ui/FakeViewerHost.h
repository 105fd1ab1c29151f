#pragma once

#include "feeds/ui/ViewerHost.h"

#include <QStringList>

namespace tidewell::test {

// A viewer's surroundings that record what the viewer asks of them.
class FakeViewerHost : public ViewerHost {
 public:
  void refreshTabs() override { ++refreshes; }
  void enableSendByEmail() override { emailEnabled = true; }
  void popupItemMenu(const QPoint&) override { ++popups; }
  void showEmailSettings() override { ++emailSettings; }
  void sendItemByEmail(const QString& channel, const QString& title, const QString& link,
                       const QString& description) override;

  int refreshes = 0;
  bool emailEnabled = false;
  int popups = 0;
  int emailSettings = 0;
  QStringList sent;
};

}  // namespace tidewell::test
