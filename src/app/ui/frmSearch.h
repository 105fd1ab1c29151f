#pragma once

#include "feeds/ItemStore.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tidewell {

struct AppContext;

// The search over every stored item (Ctrl+F), and with "Starred only" and
// no words the list of starred items (the tree's Starred node). Lists feed,
// title and date, newest first; Enter or a double-click opens the item in
// its feed's viewer.
class frmSearch : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSettleMs = 120;
  static constexpr int kMaxResults = 500;

  // feedName gives the name shown for a feed id.
  frmSearch(AppContext& context, std::function<QString(const QString&)> feedName, QWidget* parent = nullptr);

  QLineEdit* txtSearch() const { return words_; }
  QCheckBox* chkStarred() const { return starred_; }
  QTreeWidget* lstResults() const { return results_; }

  void showStarred();
  // Runs the search now (typing runs it shortly after the last key).
  void runSearch();

 signals:
  void openItem(const QString& feedId, const ItemRef& item);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void openRow(QTreeWidgetItem* row);

  AppContext& context_;
  std::function<QString(const QString&)> feedName_;
  QLineEdit* words_;
  QCheckBox* starred_;
  QTreeWidget* results_;
  QTimer settle_;
};

}  // namespace tidewell
