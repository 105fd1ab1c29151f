#pragma once

#include <QObject>
#include <QString>

class QProgressDialog;
class QWidget;

namespace tidewell {

struct AppContext;
class Platform;

// File → Import OPML... and Export OPML...: the command line's import and
// export, with the window's file choice, a cancellable progress window while
// the feeds are checked, and a summary through the user messages.
class OpmlTransfer : public QObject {
  Q_OBJECT

 public:
  OpmlTransfer(AppContext& context, QWidget& window, Platform& platform);

  // True when feeds were added (the tree needs reloading).
  bool importOpml();
  void exportOpml();

 signals:
  // The progress window is up while the feeds are checked.
  void progressShown(QProgressDialog* progress);

 private:
  QString text(const char* key) const;

  AppContext& context_;
  QWidget& window_;
  Platform& platform_;
};

}  // namespace tidewell
