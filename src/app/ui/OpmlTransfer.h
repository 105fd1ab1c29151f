#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QNetworkAccessManager;
class QProgressDialog;
class QWidget;

namespace tidewell {

struct AppContext;

// File → Import OPML... and Export OPML...: the command line's import and
// export, with the window's file choice, a cancellable progress window while
// the feeds are checked, and a summary through the user messages.
class OpmlTransfer : public QObject {
  Q_OBJECT

 public:
  OpmlTransfer(AppContext& context, QWidget& window, QNetworkAccessManager* manager);

  // The list to import; empty when the user cancelled. A file dialog unless replaced.
  std::function<QString()> chooseImportFile;
  // The connectivity test; empty means the importer's own.
  std::function<bool()> connectivityTest;
  // Called once the progress window is up (tests cancel through it).
  std::function<void(QProgressDialog&)> onProgress;

  // True when feeds were added (the tree needs reloading).
  bool importOpml();
  void exportOpml();

 private:
  QString text(const char* key) const;

  AppContext& context_;
  QWidget& window_;
  QNetworkAccessManager* manager_;
};

}  // namespace tidewell
