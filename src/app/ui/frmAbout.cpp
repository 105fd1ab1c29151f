#include "app/ui/frmAbout.h"

#include "app/AppContext.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidewell {

frmAbout::frmAbout(AppContext& context, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("About ") + context.identity.programName);

  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/icons/tidewell-48.png")).pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);

  auto* lblProgram = new QLabel(context.identity.programName, this);
  lblProgram->setObjectName(QStringLiteral("lblProgram"));
  QFont big = lblProgram->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  lblProgram->setFont(big);
  auto* lblVersion = new QLabel(QStringLiteral("Version ") + context.identity.version, this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  auto* lblCompany = new QLabel(context.identity.companyName, this);
  lblCompany->setObjectName(QStringLiteral("lblCompany"));
  auto* lblWebsite = new QLabel(
      QStringLiteral("<a href=\"#\">") + context.identity.website.toHtmlEscaped() + QStringLiteral("</a>"), this);
  lblWebsite->setObjectName(QStringLiteral("lblWebsite"));
  lblWebsite->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(lblWebsite, &QLabel::linkActivated, this, &frmAbout::websiteRequested);

  auto* text = new QVBoxLayout;
  text->addWidget(lblProgram);
  text->addWidget(lblVersion);
  text->addSpacing(8);
  text->addWidget(lblCompany);
  text->addWidget(lblWebsite);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addLayout(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 14);
  layout->addLayout(row);
  layout->addSpacing(12);
  layout->addWidget(buttons);
  WindowLocalizer(context.languages).ChangeLanguage(this, context.currentLanguage);
}

}  // namespace tidewell
