#include "l10n/ui/frmLanguage.h"

#include "TidewellConfig.h"
#include "app/AppContext.h"
#include "core/Utilities.h"
#include "core/ui/Platform.h"
#include "l10n/ui/WindowLocalizer.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSaveFile>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace tidewell {

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kLanguage = QStringLiteral("Language");
constexpr int kFetchTimeoutMs = 30000;

}  // namespace

frmLanguage::frmLanguage(AppContext& context, Platform& platform, std::function<void(const QString&)> applyToMainWindow,
                         QWidget* parent)
    : QDialog(parent),
      languageBaseUrl(QString::fromUtf8(config::kLanguageBaseUrl)),
      context_(context),
      platform_(platform),
      applyToMainWindow_(std::move(applyToMainWindow)) {
  setObjectName(QStringLiteral("frmLanguage"));
  setWindowTitle(QStringLiteral("Language Selection"));

  Label1_ = new QLabel(QStringLiteral("Choose the language of the program's windows and messages. Languages are "
                                      "read from the file Localization.txt; add your own language to it with "
                                      "\"Translate this program\"."),
                       this);
  Label1_->setObjectName(QStringLiteral("Label1"));
  Label1_->setWordWrap(true);
  Label1_->setMinimumWidth(340);
  Combo1_ = new QComboBox(this);
  Combo1_->setObjectName(QStringLiteral("Combo1"));
  Combo1_->setPlaceholderText(context_.languages.getMessages(QStringLiteral("MSG_WND_CHOOSELANGUAGE")));
  Command1_ = new QPushButton(QStringLiteral("Check for language updates"), this);
  Command1_->setObjectName(QStringLiteral("Command1"));
  Command3_ = new QPushButton(QStringLiteral("Translate this program"), this);
  Command3_->setObjectName(QStringLiteral("Command3"));
  Command2_ = new QPushButton(QStringLiteral("Close"), this);
  Command2_->setObjectName(QStringLiteral("Command2"));
  Command2_->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1_);
  buttons->addWidget(Command3_);
  buttons->addStretch();
  buttons->addWidget(Command2_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1_);
  layout->addWidget(Combo1_);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(Combo1_, &QComboBox::activated, this, &frmLanguage::Combo1_Click);
  connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command3_, &QPushButton::clicked, this, &frmLanguage::Command3_Click);
  connect(Command2_, &QPushButton::clicked, this, &QDialog::close);
  Form_Load();
}

void frmLanguage::Form_Load() {
  WindowLocalizer(context_.languages).ChangeLanguage(this, context_.currentLanguage);
  setWindowTitle(context_.languages.getMessages(QStringLiteral("MSG_TITLELANGUAGE")));
  FillList();
}

int frmLanguage::productNumber() { return config::kVersionMajor; }

QString frmLanguage::updateUrl() const {
  return languageBaseUrl + QString::number(productNumber()) + QStringLiteral("/Localization.txt");
}

void frmLanguage::FillList() {
  Combo1_->clear();
  if (!context_.languages.LangFileExists()) return;
  Combo1_->addItems(context_.languages.ListLanguages());
  const QString chosen = context_.userStore.userValue(kSettings, kLanguage, clsLanguages::kDefaultLanguage);
  Combo1_->setCurrentIndex(Combo1_->findText(chosen, Qt::MatchFixedString));
}

void frmLanguage::Combo1_Click(int index) {
  const QString name = Combo1_->itemText(index);
  if (name.isEmpty() || name == kPrompt) return;
  context_.userStore.setUserValue(kSettings, kLanguage, name);
  context_.currentLanguage = name;
  WindowLocalizer(context_.languages).ChangeLanguage(this, name);
  Combo1_->setPlaceholderText(context_.languages.getMessages(QStringLiteral("MSG_WND_CHOOSELANGUAGE")));
  setWindowTitle(context_.languages.getMessages(QStringLiteral("MSG_TITLELANGUAGE")));
  if (applyToMainWindow_) applyToMainWindow_(name);
}

QByteArray frmLanguage::fetch(const QString& url) {
  QNetworkRequest request{QUrl(url)};
  request.setTransferTimeout(kFetchTimeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  QNetworkReply* reply = platform_.network()->get(request);
  QEventLoop wait;
  connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
  wait.exec(QEventLoop::ExcludeUserInputEvents);
  QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
  reply->deleteLater();
  return body;
}

bool frmLanguage::Command1_Click() {
  Command1_->setEnabled(false);
  const QByteArray bytes = fetch(updateUrl());
  Command1_->setEnabled(true);
  QString text = util::DecodeLegacyText(bytes);
  {
    // A UTF-8 file stays UTF-8; only bytes that are not UTF-8 are read as ANSI.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(bytes);
    if (!utf8.hasError()) text = decoded;
  }
  // An error page or no connection leaves the current file alone.
  if (!text.contains(QStringLiteral("<TRANSLATION_ITEMS>"), Qt::CaseInsensitive)) return false;
  const qsizetype first = text.indexOf(QLatin1Char('<'));
  if (first > 0) text.remove(0, first);
  // Unbuffered, so a short write (full disk) shows in write()'s count: a
  // failed flush inside commit() would not stop the rename of a truncated file.
  QSaveFile file(context_.paths.localizationTarget());
  const QByteArray out = text.toUtf8() + "\r\n";
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(out) != out.size() || !file.commit()) {
    return false;
  }
  FillList();
  context_.messages.showMessage(context_.languages.getMessages(QStringLiteral("MSG_DOWNLOADED")), QString(),
                                MessageIcon::None);
  return true;
}

void frmLanguage::Command3_Click() {
  const QString file = context_.languages.localizationFile();
  // The user's editor for its type opens it for translating.
  if (util::FileExists(file)) platform_.openFile(file);
}

}  // namespace tidewell
