#include "core/ui/ComboAutoComplete.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace tidewell {

ComboAutoComplete::ComboAutoComplete(QComboBox* combo, bool limitToList, bool beepOnMismatch)
    : QObject(combo), combo_(combo), limitToList_(limitToList), beepOnMismatch_(beepOnMismatch) {}

ComboAutoComplete* ComboAutoComplete::install(QComboBox* combo, bool limitToList, bool beepOnMismatch) {
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  auto* helper = new ComboAutoComplete(combo, limitToList, beepOnMismatch);
  combo->lineEdit()->installEventFilter(helper);
  return helper;
}

bool ComboAutoComplete::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == combo_->lineEdit()) {
    return handleKey(combo_, static_cast<QKeyEvent*>(event), limitToList_, beepOnMismatch_);
  }
  return QObject::eventFilter(watched, event);
}

bool ComboAutoComplete::handleKey(QComboBox* combo, QKeyEvent* event, bool limitToList, bool beepOnMismatch) {
  QLineEdit* edit = combo->lineEdit();
  if (edit == nullptr) return false;
  const int selectionStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  const QString typed = edit->text().left(selectionStart);

  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (combo->findText(edit->text(), Qt::MatchFixedString) >= 0) edit->selectAll();
    return false;
  }
  if (key == Qt::Key_Escape || key == Qt::Key_Delete) {
    edit->clear();
    return true;
  }

  QString search;
  if (key == Qt::Key_Backspace) {
    if (typed.size() < 2) {
      edit->clear();
      return true;
    }
    search = typed.left(typed.size() - 1);
  } else {
    const QString text = event->text();
    // Cursor keys, modifiers and shortcuts are the line edit's own business.
    if (text.isEmpty() || !text.at(0).isPrint() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      return false;
    }
    search = typed + text;
  }

  int found = -1;
  for (int i = 0; i < combo->count(); ++i) {
    if (combo->itemText(i).startsWith(search, Qt::CaseInsensitive)) {
      found = i;
      break;
    }
  }
  if (found < 0) {
    if (!limitToList) return false;
    if (beepOnMismatch) QApplication::beep();
    return true;
  }
  const QString entry = combo->itemText(found);
  combo->setCurrentIndex(found);
  edit->setText(entry);
  edit->setSelection(entry.size(), -(entry.size() - static_cast<int>(search.size())));
  return true;
}

}  // namespace tidewell
