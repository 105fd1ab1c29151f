#include "core/ui/QtUserMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using namespace tidewell;

class QtUserMessagesTest : public QObject {
  Q_OBJECT

 private slots:
  // A name from a feed or a list is text in every box: markup in it is
  // neither rendered nor followed (a picture of a local device once was).
  void boxesShowTheirTextAsPlainText() {
    const QString hostile = QStringLiteral("Delete \"News <img src=\"/dev/zero\"><b>bold</b>\"?");
    QtUserMessages messages;
    QList<Qt::TextFormat> formats;
    QStringList shown;
    const auto answerNextBox = [&] {
      QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        formats << box->textFormat();
        shown << box->text();
        box->button(box->standardButtons() & QMessageBox::Ok   ? QMessageBox::Ok
                    : box->standardButtons() & QMessageBox::No ? QMessageBox::No
                                                               : QMessageBox::Cancel)
            ->click();
      });
    };
    answerNextBox();
    messages.showMessage(hostile, QStringLiteral("Title"), MessageIcon::Exclamation);
    answerNextBox();
    QVERIFY(!messages.askYesNo(hostile, QStringLiteral("Title")));
    answerNextBox();
    QVERIFY(!messages.askRetryCancel(hostile, QStringLiteral("Title"), MessageIcon::Exclamation));
    QCOMPARE(formats, (QList<Qt::TextFormat>{Qt::PlainText, Qt::PlainText, Qt::PlainText}));
    QCOMPARE(shown, (QStringList{hostile, hostile, hostile}));
  }
};

QTEST_MAIN(QtUserMessagesTest)
#include "QtUserMessagesTest.moc"
