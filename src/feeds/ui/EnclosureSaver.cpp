#include "feeds/ui/EnclosureSaver.h"

#include "app/AppContext.h"
#include "core/Utilities.h"
#include "feeds/EnclosureDownload.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QUrl>

namespace tidewell {

void EnclosureSaver::save(AppContext& context, QWidget* parent, QNetworkAccessManager* manager, const QString& url) {
  const QUrl address(url.trimmed());
  const QString title = context.languages.getMessages(QStringLiteral("MSG_ART_DOWNLOAD"));
  const QString target = context.messages.saveFileName(title, EnclosureDownload::suggestedFileName(address),
                                                       QStringLiteral("All Files (*)"));
  if (util::IsBlank(target)) return;

  EnclosureDownload download(manager);
  QProgressDialog progress(context.languages.getMessages(QStringLiteral("MSG_ART_DOWNLOADING")), QString(), 0, 0,
                           parent);
  progress.setWindowTitle(title);
  progress.setMinimumDuration(0);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  QObject::connect(&progress, &QProgressDialog::canceled, &download, &EnclosureDownload::cancel);
  QObject::connect(&download, &EnclosureDownload::progress, &progress, [&progress](qint64 received, qint64 total) {
    // Kilobytes, so a large file stays within the bar's int range.
    if (total > 0) progress.setMaximum(static_cast<int>(total / 1024));
    progress.setValue(static_cast<int>(received / 1024));
  });
  QString error;
  bool done = false;
  QEventLoop loop;
  QObject::connect(&download, &EnclosureDownload::finished, &loop, [&](const QString& reason) {
    error = reason;
    done = true;
    loop.quit();
  });
  download.start(address, target);
  progress.show();
  if (!done) loop.exec();
  const bool cancelled = progress.wasCanceled();
  progress.close();
  if (cancelled) return;
  if (error.isEmpty()) {
    context.messages.showMessage(context.languages.getMessages(QStringLiteral("MSG_ART_SAVED")) + target,
                                 QStringLiteral("Done!"), MessageIcon::Information);
  } else {
    context.messages.showMessage(context.languages.getMessages(QStringLiteral("MSG_ART_FAILED")) + error, title,
                                 MessageIcon::Exclamation);
  }
}

}  // namespace tidewell
