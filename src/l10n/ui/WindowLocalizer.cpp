#include "l10n/ui/WindowLocalizer.h"

#include "l10n/clsLanguages.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeView>
#include <QTreeWidget>

#include <functional>

namespace tidewell {

namespace {

// One captioned thing of a window: its key, and how to read and set its caption.
struct Target {
  QString key;
  std::function<QString()> get;
  std::function<void(const QString&)> set;
};

QString memberKey(const QString& window, const QObject* object) {
  const QVariant index = object->property(WindowLocalizer::kIndexProperty);
  return index.isValid() ? clsLanguages::arrayKey(window, object->objectName(), index.toInt())
                         : clsLanguages::controlKey(window, object->objectName());
}

void columnTargets(const QString& window, QAbstractItemView* view, QList<Target>& out) {
  QAbstractItemModel* model = view->model();
  if (model == nullptr) return;
  const QString name = view->objectName();
  for (int column = 0; column < model->columnCount(); ++column) {
    const QString key = clsLanguages::columnKey(window, name, column + 1);
    if (auto* tree = qobject_cast<QTreeWidget*>(view)) {
      out.append({key, [tree, column] { return tree->headerItem()->text(column); },
                  [tree, column](const QString& text) { tree->headerItem()->setText(column, text); }});
    } else if (auto* table = qobject_cast<QTableWidget*>(view)) {
      out.append({key,
                  [table, column] {
                    const QTableWidgetItem* item = table->horizontalHeaderItem(column);
                    return item != nullptr ? item->text() : QString();
                  },
                  [table, column](const QString& text) {
                    if (QTableWidgetItem* item = table->horizontalHeaderItem(column)) {
                      item->setText(text);
                    } else {
                      table->setHorizontalHeaderItem(column, new QTableWidgetItem(text));
                    }
                  }});
    } else {
      out.append({key, [model, column] { return model->headerData(column, Qt::Horizontal).toString(); },
                  [model, column](const QString& text) { model->setHeaderData(column, Qt::Horizontal, text); }});
    }
  }
}

void tabTargets(const QString& window, const QString& name, QTabBar* bar, QList<Target>& out) {
  for (int tab = 0; tab < bar->count(); ++tab) {
    out.append({clsLanguages::tabKey(window, name, tab + 1), [bar, tab] { return bar->tabText(tab); },
                [bar, tab](const QString& text) { bar->setTabText(tab, text); }});
  }
}

void targetOf(const QString& window, QObject* object, QList<Target>& out) {
  const QString name = object->objectName();
  if (auto* action = qobject_cast<QAction*>(object)) {
    if (action->isSeparator()) return;
    out.append({memberKey(window, action), [action] { return action->text(); },
                [action](const QString& text) { action->setText(text); }});
  } else if (auto* menu = qobject_cast<QMenu*>(object)) {
    out.append({memberKey(window, menu), [menu] { return menu->title(); },
                [menu](const QString& text) { menu->setTitle(text); }});
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    out.append({memberKey(window, button), [button] { return button->text(); },
                [button](const QString& text) { button->setText(text); }});
  } else if (auto* label = qobject_cast<QLabel*>(object)) {
    out.append({clsLanguages::controlKey(window, name), [label] { return label->text(); },
                [label](const QString& text) { label->setText(text); }});
  } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
    out.append({clsLanguages::controlKey(window, name), [group] { return group->title(); },
                [group](const QString& text) { group->setTitle(text); }});
  } else if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
    tabTargets(window, name, tabs->tabBar(), out);
  } else if (auto* bar = qobject_cast<QTabBar*>(object)) {
    tabTargets(window, name, bar, out);
  } else if (auto* tree = qobject_cast<QTreeView*>(object)) {
    columnTargets(window, tree, out);
  } else if (auto* table = qobject_cast<QTableView*>(object)) {
    columnTargets(window, table, out);
  }
}

// A widget inside the window that is a window of its own (an MDI child, a
// docked form, a dialog owned by it) localizes itself under its own name.
bool ownWindow(QObject* object) {
  if (qobject_cast<QMdiSubWindow*>(object) != nullptr) return true;
  if (object->objectName().startsWith(QLatin1String("frm"))) return true;
  auto* widget = qobject_cast<QWidget*>(object);
  return widget != nullptr && widget->isWindow() && qobject_cast<QMenu*>(widget) == nullptr;
}

void collect(const QString& window, QObject* parent, QList<Target>& out) {
  for (QObject* child : parent->children()) {
    if (ownWindow(child)) continue;
    // Qt's own helper widgets (a tab widget's bar, a scroll area's viewport) are not controls.
    const bool named = !child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_"));
    if (named) targetOf(window, child, out);
    collect(window, child, out);
  }
}

QList<Target> targets(QWidget* window) {
  QList<Target> out;
  collect(window->objectName(), window, out);
  return out;
}

}  // namespace

void WindowLocalizer::applyLoaded(QWidget* window) {
  if (window == nullptr) return;
  for (const Target& target : targets(window)) {
    const QString text = languages_.getCaption(target.key);
    if (!text.isEmpty()) target.set(text);
  }
  const QString caption = languages_.getCaption(clsLanguages::windowCaptionKey(window->objectName()));
  if (!caption.isEmpty()) window->setWindowTitle(caption);
}

void WindowLocalizer::ChangeLanguage(QWidget* window, const QString& language) {
  languages_.loadTranslationLines(language);
  applyLoaded(window);
  languages_.applyToMessages();
}

void WindowLocalizer::ChangeLanguageMDI(QMainWindow* mainWindow, const QString& language) {
  ChangeLanguage(mainWindow, language);
}

QList<QPair<QString, QString>> WindowLocalizer::captionEntries(QWidget* window) {
  QList<QPair<QString, QString>> entries;
  if (window == nullptr) return entries;
  for (const Target& target : targets(window)) {
    const QString text = target.get();
    if (!text.isEmpty()) entries.append({target.key, text});
  }
  entries.append({clsLanguages::windowCaptionKey(window->objectName()), window->windowTitle()});
  return entries;
}

bool WindowLocalizer::makeLocalizationFile(const QList<QWidget*>& windows) {
  QList<QPair<QString, QString>> entries;
  for (QWidget* window : windows) entries += captionEntries(window);
  return languages_.writeEnglishGroup(entries);
}

}  // namespace tidewell
