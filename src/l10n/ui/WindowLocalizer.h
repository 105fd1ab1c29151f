#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QWidget;
class QMainWindow;

namespace tidewell {

class clsLanguages;

// Applies the loaded language to a window by walking its widget tree. The
// window's object name is the window name ("frmMain"); each control's object
// name is its control name. Keys, by control:
//   QLabel, QAbstractButton (push/tool buttons, check boxes), QGroupBox title
//                      window + "_" + control
//   QRadioButton / QAction with the dynamic property "controlIndex" (an
//   option-button or menu array)  window + "_" + control + index
//   QTabWidget / QTabBar  window + "_" + control + "_TABS" + i (from 1)
//   QTreeView / QTableView (list views) window + "_" + control + "_COL" + i (from 1)
//   QAction (menu items), QMenu title  window + "_" + object name
//   the window title   upper-case window name + "_CAPTION"
// A control changes only when its translation is not empty. Widgets whose
// object name starts with "frm" inside the window are windows of their own
// (a docked panel, an MDI child) and localize themselves: the walk skips them.
class WindowLocalizer {
 public:
  static inline const char* const kIndexProperty = "controlIndex";

  explicit WindowLocalizer(clsLanguages& languages) : languages_(languages) {}

  // Loads the language, localizes the window and the message table.
  void ChangeLanguage(QWidget* window, const QString& language);
  // The same for the MDI main window: its MDI children are left alone.
  void ChangeLanguageMDI(QMainWindow* mainWindow, const QString& language);
  // Applies the already loaded language to a window without reloading the file.
  void applyLoaded(QWidget* window);

  // The (key, current caption) entries of a window, window caption last.
  static QList<QPair<QString, QString>> captionEntries(QWidget* window);
  // Writes the English group of Localization.txt afresh from these windows.
  bool makeLocalizationFile(const QList<QWidget*>& windows);

 private:
  clsLanguages& languages_;
};

}  // namespace tidewell
