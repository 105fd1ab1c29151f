#pragma once

#include <QDialog>

#include <functional>

namespace tidewell {

struct AppContext;

// The about box: program name, version, company and website.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  frmAbout(AppContext& context, std::function<void()> visitWebsite, QWidget* parent = nullptr);
};

}  // namespace tidewell
