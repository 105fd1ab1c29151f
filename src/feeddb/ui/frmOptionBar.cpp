#include "feeddb/ui/frmOptionBar.h"

#include "app/AppContext.h"
#include "feeddb/ui/CategoryTreeWidget.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QCloseEvent>
#include <QFrame>
#include <QToolButton>
#include <QVBoxLayout>

namespace tidewell {

frmOptionBar::frmOptionBar(AppContext& context, TreeHost& host, QWidget* parent)
    : QDockWidget(QStringLiteral("Option Bar"), parent) {
  setObjectName(QStringLiteral("frmOptionBar"));
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("ucOptionBar"));
  auto* layout = new QVBoxLayout(bar);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(2);

  header_ = new QToolButton(bar);
  header_->setObjectName(QStringLiteral("grpCategories"));
  header_->setText(QStringLiteral("Categories"));
  header_->setCheckable(true);
  header_->setChecked(true);
  header_->setArrowType(Qt::DownArrow);
  header_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  header_->setAutoRaise(true);
  header_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QFont headerFont = header_->font();
  headerFont.setBold(true);
  header_->setFont(headerFont);
  layout->addWidget(header_);

  tree_ = new CategoryTreeWidget(context, host, bar);
  tree_->setFrameShape(QFrame::NoFrame);
  layout->addWidget(tree_, 1);
  layout->addStretch(0);
  connect(header_, &QToolButton::toggled, this, &frmOptionBar::setGroupExpanded);
  setWidget(bar);

  WindowLocalizer(context.languages).ChangeLanguage(this, context.currentLanguage);
  tree_->LoadCategories();
}

bool frmOptionBar::groupExpanded() const { return header_->isChecked(); }

void frmOptionBar::setGroupExpanded(bool expanded) {
  header_->setChecked(expanded);
  header_->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
  tree_->setVisible(expanded);
}

void frmOptionBar::closeEvent(QCloseEvent* event) {
  QDockWidget::closeEvent(event);
  if (event->isAccepted()) emit closedByUser();
}

}  // namespace tidewell
