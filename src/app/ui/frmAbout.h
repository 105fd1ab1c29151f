#pragma once

#include <QDialog>

namespace tidewell {

struct AppContext;

// The about box: program name, version, company and website; a click on the
// website asks the main window to open it.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(AppContext& context, QWidget* parent = nullptr);

 signals:
  void websiteRequested();
};

}  // namespace tidewell
