#pragma once

#include <QString>

namespace tidewell {

struct AppContext;
class Platform;
class ViewerHost;
class frmViewFeed;

// The item menu's commands on a viewer's selected row, kept beside the
// window: "show", "del", "txt", "html", "email", "online", "play" and
// "download"; anything else does nothing.
class ViewerItemCommands {
 public:
  ViewerItemCommands(frmViewFeed& viewer, AppContext& context, Platform& platform, ViewerHost& host);

  void run(const QString& action);

 private:
  void deleteSelected();
  void exportPreview(bool html);
  void sendSelectedByEmail();

  frmViewFeed& viewer_;
  AppContext& context_;
  Platform& platform_;
  ViewerHost& host_;
};

}  // namespace tidewell
