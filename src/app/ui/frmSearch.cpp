#include "app/ui/frmSearch.h"

#include "app/AppContext.h"
#include "core/ui/StarIcon.h"
#include "feeds/ItemIndex.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tidewell {

namespace {

enum Role { FeedRole = Qt::UserRole, IdRole, OccurrenceRole };

// "20260103080000" as the viewer shows dates: 03 Jan 2026 08:00:00.
QString shownDate(const QString& key) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (key.size() < 14) return {};
  const int month = key.mid(4, 2).toInt();
  if (month < 1 || month > 12) return {};
  return key.mid(6, 2) + QLatin1Char(' ') + QLatin1String(kMonths[month - 1]) + QLatin1Char(' ') + key.left(4) +
         QLatin1Char(' ') + key.mid(8, 2) + QLatin1Char(':') + key.mid(10, 2) + QLatin1Char(':') + key.mid(12, 2);
}

}  // namespace

frmSearch::frmSearch(AppContext& context, std::function<QString(const QString&)> feedName, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), feedName_(std::move(feedName)) {
  setObjectName(QStringLiteral("frmSearch"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(context_.languages.getMessages(QStringLiteral("MSG_IDX_SEARCH")));
  resize(760, 480);

  words_ = new QLineEdit(this);
  words_->setObjectName(QStringLiteral("txtSearch"));
  words_->setClearButtonEnabled(true);
  words_->setPlaceholderText(context_.languages.getMessages(QStringLiteral("MSG_IDX_SEARCHHINT")));
  starred_ = new QCheckBox(context_.languages.getMessages(QStringLiteral("MSG_IDX_STARRED")), this);
  starred_->setObjectName(QStringLiteral("chkStarred"));
  results_ = new QTreeWidget(this);
  results_->setObjectName(QStringLiteral("lstResults"));
  results_->setColumnCount(3);
  results_->setHeaderLabels({QStringLiteral("Feed"), QStringLiteral("Title"), QStringLiteral("Published On")});
  results_->setRootIsDecorated(false);
  results_->setUniformRowHeights(true);
  results_->setAlternatingRowColors(true);
  results_->setAllColumnsShowFocus(true);
  results_->header()->setStretchLastSection(false);
  results_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  results_->header()->resizeSection(0, 180);
  results_->header()->resizeSection(2, 170);

  auto* top = new QHBoxLayout;
  top->addWidget(words_, 1);
  top->addWidget(starred_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(results_);

  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &frmSearch::runSearch);
  connect(words_, &QLineEdit::textChanged, this, [this] { settle_.start(); });
  connect(starred_, &QCheckBox::toggled, this, &frmSearch::runSearch);
  connect(results_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) { openRow(row); });
  words_->installEventFilter(this);
}

void frmSearch::showStarred() {
  words_->clear();
  starred_->setChecked(true);
  runSearch();
}

void frmSearch::runSearch() {
  settle_.stop();
  results_->clear();
  ItemSearch query;
  query.words = words_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  query.starredOnly = starred_->isChecked();
  query.limit = kMaxResults;
  query.prefixLast = true;
  if (query.words.isEmpty() && !query.starredOnly) return;
  QList<QTreeWidgetItem*> rows;
  for (const ItemHit& hit : context_.itemIndex.search(query)) {
    auto* row = new QTreeWidgetItem;
    row->setText(0, feedName_ ? feedName_(hit.feedId) : hit.feedId);
    row->setText(1, hit.title);
    row->setText(2, shownDate(hit.dateKey));
    if (hit.starred) row->setIcon(1, StarIcon(true));
    if (hit.unread) {
      QFont bold = row->font(1);
      bold.setBold(true);
      row->setFont(1, bold);
    }
    row->setData(0, FeedRole, hit.feedId);
    row->setData(0, IdRole, hit.itemId);
    row->setData(0, OccurrenceRole, hit.occurrence);
    rows << row;
  }
  results_->addTopLevelItems(rows);
}

void frmSearch::openRow(QTreeWidgetItem* row) {
  if (!row) return;
  emit openItem(row->data(0, FeedRole).toString(),
                ItemRef{row->data(0, IdRole).toString(), row->data(0, OccurrenceRole).toInt()});
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event) {
  if (watched == words_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
      runSearch();
      results_->setFocus();
      if (results_->topLevelItemCount() > 0) results_->setCurrentItem(results_->topLevelItem(0));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tidewell
