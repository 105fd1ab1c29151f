#pragma once

#include <QObject>

class QComboBox;
class QKeyEvent;

namespace tidewell {

// Type-ahead completion for an editable combo box: typing completes the text
// to the first list entry that starts with what was typed (case-insensitive)
// and selects the completed rest, so the next key replaces it. Escape and
// Delete clear the box; a "." is typed like any other character (category
// and feed names often carry one). With limitToList the text can only become
// an entry of the list; otherwise a name that is not listed may be typed.
class ComboAutoComplete : public QObject {
  Q_OBJECT

 public:
  // Installs itself on combo (owned by it) and switches off Qt's own completer.
  static ComboAutoComplete* install(QComboBox* combo, bool limitToList, bool beepOnMismatch);

  // The key handling; true when the key was consumed.
  static bool handleKey(QComboBox* combo, QKeyEvent* event, bool limitToList, bool beepOnMismatch);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ComboAutoComplete(QComboBox* combo, bool limitToList, bool beepOnMismatch);

  QComboBox* combo_;
  bool limitToList_;
  bool beepOnMismatch_;
};

}  // namespace tidewell
