#include "feeds/ui/ViewerItemCommands.h"

#include "app/AppContext.h"
#include "core/RuntimeError.h"
#include "core/Utilities.h"
#include "core/ui/Platform.h"
#include "feeds/ExportFileName.h"
#include "feeds/ItemExport.h"
#include "feeds/ItemStore.h"
#include "feeds/LinkPolicy.h"
#include "feeds/ui/EnclosureSaver.h"
#include "feeds/ui/PreviewBrowser.h"
#include "feeds/ui/ViewerHost.h"
#include "feeds/ui/frmViewFeed.h"

#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>

namespace tidewell {

namespace {

const QString kSettings = QStringLiteral("Settings");
// The folder the last export went to, where the next one starts.
const QString kExportFolderKey = QStringLiteral("ExportFolder");

}  // namespace

ViewerItemCommands::ViewerItemCommands(frmViewFeed& viewer, AppContext& context, Platform& platform, ViewerHost& host)
    : viewer_(viewer), context_(context), platform_(platform), host_(host) {}

void ViewerItemCommands::run(const QString& action) {
  if (action == QLatin1String("show")) {
    viewer_.ShowItemPreview();
  } else if (action == QLatin1String("del")) {
    deleteSelected();
  } else if (action == QLatin1String("txt") || action == QLatin1String("html")) {
    exportPreview(action == QLatin1String("html"));
  } else if (action == QLatin1String("email")) {
    sendSelectedByEmail();
  } else if (action == QLatin1String("play")) {
    // The system's player for the enclosure's type takes the address.
    const QString media = viewer_.selectedEnclosure();
    if (!util::IsBlank(media)) platform_.openUrl(media);
  } else if (action == QLatin1String("download")) {
    const QString media = viewer_.selectedEnclosure();
    if (!util::IsBlank(media)) EnclosureSaver::save(context_, &viewer_, platform_.network(), media);
  } else if (action == QLatin1String("online")) {
    if (QTreeWidgetItem* row = viewer_.selectedRow()) {
      // A feed's link reaches the system's opener only as a web or mail address.
      const std::optional<QUrl> link =
          LinkPolicy::original(row->data(frmViewFeed::ColTitle, frmViewFeed::TagRole).toString(),
                               row->data(frmViewFeed::ColTitle, frmViewFeed::MediaRole).toString());
      if (link) platform_.openUrl(link->toString(QUrl::FullyEncoded));
    }
  }
}

void ViewerItemCommands::deleteSelected() {
  QTreeWidgetItem* row = viewer_.selectedRow();
  if (!row) return;
  const ItemRef ref{row->data(frmViewFeed::ColTitle, frmViewFeed::IdRole).toString(),
                    row->data(frmViewFeed::ColTitle, frmViewFeed::OccurrenceRole).toInt()};
  if (!ItemStore(viewer_.itemStorePath()).ItemOperation(ref, QStringLiteral("del"), true, context_.messages)) return;
  {
    // The row that becomes current is not shown: the preview goes blank.
    const QSignalBlocker quiet(viewer_.list_);
    delete row;
  }
  // The items after it with the same id moved up one place in the store.
  for (int i = 0; i < viewer_.list_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* other = viewer_.list_->topLevelItem(i);
    if (other->data(frmViewFeed::ColTitle, frmViewFeed::IdRole).toString() != ref.id) continue;
    const int occurrence = other->data(frmViewFeed::ColTitle, frmViewFeed::OccurrenceRole).toInt();
    if (occurrence > ref.occurrence) other->setData(frmViewFeed::ColTitle, frmViewFeed::OccurrenceRole, occurrence - 1);
  }
  viewer_.idCounts_[ref.id] = qMax(0, viewer_.idCounts_.value(ref.id) - 1);
  viewer_.preview_->Navigate(QStringLiteral("about:blank"));
  emit viewer_.itemsChanged(viewer_.feedId_);
}

void ViewerItemCommands::exportPreview(bool html) {
  // The item the menu was opened on, which need not be the one previewed;
  // without a row, what the preview shows.
  FeedItem shown = viewer_.preview_->isBlank() ? FeedItem() : viewer_.currentItem_;
  if (QTreeWidgetItem* row = viewer_.selectedRow()) {
    FeedItem info;
    if (!viewer_.pageOfRow(row, info)) return;
    shown = info;
  }
  const QString extension = html ? QStringLiteral("html") : QStringLiteral("txt");
  QString folder = context_.userStore.userValue(kSettings, kExportFolderKey, QString());
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  const QString path = context_.messages.saveFileName(
      QStringLiteral("Save As ..."), QDir(folder).filePath(SuggestExportFileName(shown.title, extension)),
      html ? QStringLiteral("HTML Files (*.htm *.html)") : QStringLiteral("Text Files (*.txt)"));
  if (util::IsBlank(path)) return;
  QString target = path;
  if (QFileInfo(target).suffix().isEmpty()) target += QLatin1Char('.') + extension;
  // Built again from the item as the command line builds it: a document of
  // its own, sanitised and escaped; the text has no placeholder for pictures.
  const QString note = context_.languages.getMessages(QStringLiteral("MSG_SEC_CUT"));
  QString text = html ? ItemExport::Html(shown, context_.identity.programName, note) : ItemExport::Text(shown, note);
  if (!html) text.remove(QChar(0xFFFC));
  if (!util::WriteTextFile(target, text)) {
    reportRuntimeError(context_.messages, QStringLiteral("HandlePopupMenu"), 3,
                       QStringLiteral("Cannot write the file ") + target);
    return;
  }
  context_.userStore.setUserValue(kSettings, kExportFolderKey, QFileInfo(target).absolutePath());
}

void ViewerItemCommands::sendSelectedByEmail() {
  if (viewer_.list_->topLevelItemCount() == 0 || !viewer_.selectedRow()) return;
  context_.settings.LoadEmailSettings();
  if (util::IsBlank(context_.settings.smtpServer)) {
    if (context_.messages.askYesNo(QStringLiteral("Email Server Settings are not properly configured. Would you like "
                                                  "to set Email Server Settings now?"),
                                   QStringLiteral("Email Server Settings not configured!"))) {
      host_.showEmailSettings();
    } else {
      context_.messages.showMessage(QStringLiteral("Application cannot send Email. Please configure Email Server from "
                                                   "\"Email Settings\" panel and try again."),
                                    QStringLiteral("Cannot Send Email!"), MessageIcon::Exclamation);
    }
    return;
  }
  if (!util::FileExists(context_.paths.emailTpl())) {
    context_.messages.showMessage(QStringLiteral("Required Email Message object file is missing or hidden. Please "
                                                 "reinstall application to resolve this issue."),
                                  QStringLiteral("Error!"), MessageIcon::Exclamation);
    return;
  }
  host_.sendItemByEmail(viewer_.feedCaption_, viewer_.currentItem_.title,
                        viewer_.currentItem_.media.isEmpty() ? viewer_.currentItem_.link : viewer_.currentItem_.media,
                        viewer_.currentItem_.body());
}

}  // namespace tidewell
