#pragma once

#include <QDockWidget>

class QToolButton;

namespace tidewell {

struct AppContext;
class CategoryTreeWidget;
class TreeHost;

// The panel docked at the main window's side: one collapsible group,
// "Categories", holding the category tree. Creating it loads the tree.
class frmOptionBar : public QDockWidget {
  Q_OBJECT

 public:
  frmOptionBar(AppContext& context, TreeHost& host, QWidget* parent = nullptr);

  CategoryTreeWidget* tvCategories() const { return tree_; }
  QToolButton* groupHeader() const { return header_; }
  bool groupExpanded() const;
  void setGroupExpanded(bool expanded);

 signals:
  // The user closed the panel with its own close button.
  void closedByUser();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QToolButton* header_;
  CategoryTreeWidget* tree_;
};

}  // namespace tidewell
