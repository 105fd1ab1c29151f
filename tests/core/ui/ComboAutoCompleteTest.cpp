#include "core/ui/ComboAutoComplete.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using namespace tidewell;

class ComboAutoCompleteTest : public QObject {
  Q_OBJECT

 private slots:
  void completesTypedTextAndSelectsTheRest() {
    QComboBox combo;
    combo.addItems({"News", "Newsletters", "Tech"});
    ComboAutoComplete::install(&combo, false, false);
    combo.setCurrentIndex(-1);
    combo.show();
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("ne"));
    QCOMPARE(combo.currentText(), QStringLiteral("News"));
    QCOMPARE(combo.lineEdit()->selectedText(), QStringLiteral("ws"));
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("wsl"));
    QCOMPARE(combo.currentText(), QStringLiteral("Newsletters"));
    QCOMPARE(combo.lineEdit()->selectedText(), QStringLiteral("etters"));
    // Backspace steps the search back one character.
    QTest::keyClick(combo.lineEdit(), Qt::Key_Backspace);
    QCOMPARE(combo.currentText(), QStringLiteral("News"));
    QCOMPARE(combo.lineEdit()->selectedText(), QString());
  }

  void unlistedNamesAndDotsAreTypedAsTheyAre() {
    QComboBox combo;
    combo.addItems({"News", "Tech"});
    ComboAutoComplete::install(&combo, false, false);
    combo.setCurrentIndex(-1);
    combo.show();
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("Harbour.Local v2.0"));
    QCOMPARE(combo.currentText(), QStringLiteral("Harbour.Local v2.0"));
  }

  void escapeAndDeleteClear() {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Delete}) {
      QComboBox combo;
      combo.addItems({"News"});
      ComboAutoComplete::install(&combo, false, false);
      combo.setCurrentIndex(-1);
      combo.show();
      QTest::keyClicks(combo.lineEdit(), QStringLiteral("Ne"));
      QTest::keyClick(combo.lineEdit(), key);
      QCOMPARE(combo.currentText(), QString());
    }
  }

  void backspaceOnOneCharacterClears() {
    QComboBox combo;
    combo.addItems({"News"});
    ComboAutoComplete::install(&combo, false, false);
    combo.setCurrentIndex(-1);
    combo.show();
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("n"));
    QCOMPARE(combo.currentText(), QStringLiteral("News"));
    QTest::keyClick(combo.lineEdit(), Qt::Key_Backspace);
    QCOMPARE(combo.currentText(), QString());
  }

  void limitedToListSwallowsMismatches() {
    QComboBox combo;
    combo.addItems({"News", "Tech"});
    ComboAutoComplete::install(&combo, true, false);
    combo.setCurrentIndex(-1);
    combo.show();
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("tx"));
    QCOMPARE(combo.currentText(), QStringLiteral("Tech"));
    QCOMPARE(combo.lineEdit()->selectedText(), QStringLiteral("ech"));
  }
};

QTEST_MAIN(ComboAutoCompleteTest)
#include "ComboAutoCompleteTest.moc"
