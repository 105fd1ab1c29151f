#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace tidewell {

struct AppContext;
class Platform;

// Picks the interface language from the groups of Localization.txt, fetches a
// newer file and opens the file for translating. Choosing a language
// re-captions this window at once and, through applyToMainWindow, the main
// window.
class frmLanguage : public QDialog {
  Q_OBJECT

 public:
  static inline const QString kPrompt = QStringLiteral("Choose Language Here");

  frmLanguage(AppContext& context, Platform& platform, std::function<void(const QString&)> applyToMainWindow,
              QWidget* parent = nullptr);

  // Where language files are fetched from: base URL + product number +
  // "/Localization.txt". The base is a build constant; tests point it at a
  // local server.
  QString languageBaseUrl;
  static int productNumber();
  QString updateUrl() const;

  QComboBox* Combo1() const { return Combo1_; }
  QPushButton* Command1() const { return Command1_; }
  QPushButton* Command2() const { return Command2_; }
  QPushButton* Command3() const { return Command3_; }

  void FillList();

 public slots:
  void Combo1_Click(int index);
  // "Check for language updates"; true when a new file was stored.
  bool Command1_Click();
  void Command3_Click();

 private:
  void Form_Load();
  QByteArray fetch(const QString& url);

  AppContext& context_;
  Platform& platform_;
  std::function<void(const QString&)> applyToMainWindow_;
  QLabel* Label1_;
  QComboBox* Combo1_;
  QPushButton* Command1_;
  QPushButton* Command2_;
  QPushButton* Command3_;
};

}  // namespace tidewell
