#include "core/ui/QtUserMessages.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tidewell {

namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

int run(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(toQt(icon), title, text, buttons, parent ? parent : QApplication::activeWindow());
  // Texts carry names from feeds and lists (categories, titles): they are
  // shown as they are, never guessed to be markup.
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton);
  return box.exec();
}

}  // namespace

void QtUserMessages::showMessage(const QString& text, const QString& title, MessageIcon icon) {
  run(parent_, text, title, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtUserMessages::askYesNo(const QString& text, const QString& title) {
  return run(parent_, text, title, MessageIcon::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

bool QtUserMessages::askRetryCancel(const QString& text, const QString& title, MessageIcon icon) {
  return run(parent_, text, title, icon, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry) ==
         QMessageBox::Retry;
}

QString QtUserMessages::saveFileName(const QString& title, const QString& suggestedName, const QString& filter) {
  return QFileDialog::getSaveFileName(parent_ ? parent_ : QApplication::activeWindow(), title, suggestedName, filter);
}

}  // namespace tidewell
