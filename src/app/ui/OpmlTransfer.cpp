#include "app/ui/OpmlTransfer.h"

#include "app/AppContext.h"
#include "core/ui/Platform.h"
#include "feeddb/OpmlDocument.h"
#include "feeds/OpmlImporter.h"

#include <QFile>
#include <QProgressDialog>
#include <QWidget>

namespace tidewell {

namespace {

// A summary names at most this many refused feeds; the rest are counted.
constexpr int kRefusedListed = 10;

}  // namespace

OpmlTransfer::OpmlTransfer(AppContext& context, QWidget& window, Platform& platform)
    : QObject(&window), context_(context), window_(window), platform_(platform) {}

QString OpmlTransfer::text(const char* key) const { return context_.languages.getMessages(QLatin1String(key)); }

bool OpmlTransfer::importOpml() {
  const QString title = text("MSG_DSK_OPML_IMPORT");
  const QString path = platform_.chooseOpenFile(&window_, title, QStringLiteral("OPML (*.opml *.xml);;All Files (*)"));
  if (path.isEmpty()) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    context_.messages.showMessage(text("MSG_DSK_OPML_UNREADABLE").arg(path), title, MessageIcon::Exclamation);
    return false;
  }
  const Result<OpmlOutline> outline = OpmlDocument::Parse(file.readAll());
  if (!outline) {
    context_.messages.showMessage(outline.error().description + QLatin1Char(' ') + text("MSG_DSK_OPML_NOTHING"), title,
                                  MessageIcon::Exclamation);
    return false;
  }

  OpmlImporter importer(context_.paths, context_.messages);
  importer.setNetworkManager(platform_.network());
  importer.setConcurrency(context_.settings.downloadConcurrency);
  importer.setConnectivityTest([this] { return platform_.isConnected(); });
  QProgressDialog progress(text("MSG_DSK_OPML_CHECKING"), text("MSG_DSK_CANCEL"), 0, 0, &window_);
  progress.setWindowTitle(title);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  connect(&importer, &OpmlImporter::progress, &progress, [&progress](int checked, int total) {
    progress.setMaximum(total);
    progress.setValue(checked);
  });
  connect(&progress, &QProgressDialog::canceled, &importer, &OpmlImporter::cancel);
  progress.show();
  emit progressShown(&progress);
  const Result<OpmlImportReport> report = importer.Import(outline.value());
  progress.close();
  if (!report) {
    context_.messages.showMessage(report.error().description, title,
                                  importer.cancelled() ? MessageIcon::Information : MessageIcon::Exclamation);
    return false;
  }

  const OpmlImportReport& result = report.value();
  QString summary = text("MSG_DSK_OPML_SUMMARY")
                        .arg(result.count(OpmlImportEntry::Outcome::Added))
                        .arg(result.count(OpmlImportEntry::Outcome::Duplicate))
                        .arg(result.count(OpmlImportEntry::Outcome::Refused));
  int listed = 0;
  for (const OpmlImportEntry& entry : result.entries) {
    if (entry.outcome != OpmlImportEntry::Outcome::Refused) continue;
    if (listed++ == kRefusedListed) {
      summary += QStringLiteral("\n...");
      break;
    }
    summary += QStringLiteral("\n") + entry.name + QStringLiteral(": ") + entry.reason;
  }
  context_.messages.showMessage(summary, title, MessageIcon::Information);
  return result.count(OpmlImportEntry::Outcome::Added) > 0;
}

void OpmlTransfer::exportOpml() {
  const QString title = text("MSG_DSK_OPML_EXPORT");
  const QString path =
      context_.messages.saveFileName(title, QStringLiteral("subscriptions.opml"), QStringLiteral("OPML (*.opml)"));
  if (path.isEmpty()) return;
  const Result<OpmlExportSummary> exported = OpmlDocument::ExportFeedsDb(
      context_.paths.feedsDb(), context_.identity.programName + QStringLiteral(" Subscriptions"), path,
      context_.messages);
  if (!exported) {
    if (exported.error().source == OpmlDocument::kExportSource) {
      context_.messages.showMessage(text("MSG_DSK_OPML_UNWRITABLE").arg(path), title, MessageIcon::Exclamation);
    }
    return;
  }
  context_.messages.showMessage(
      text("MSG_DSK_OPML_WRITTEN").arg(exported.value().categories).arg(exported.value().feeds).arg(path), title,
      MessageIcon::Information);
}

}  // namespace tidewell
