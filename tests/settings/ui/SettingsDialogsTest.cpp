#include "app/AppContext.h"
#include "settings/ui/frmAppSettings.h"
#include "settings/ui/frmEmailSettings.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

struct Harness : AppFixture {
  Harness() { context.settings.setAutostartFolder(home.file(QStringLiteral("autostart"))); }
  // The settings as a fresh load from AppCfg.cfg sees them.
  mSettings reloaded() {
    mSettings s(context.paths, messages);
    s.setAutostartFolder(home.file(QStringLiteral("autostart")));
    s.LoadEmailSettings();
    s.LoadAppSettings();
    return s;
  }
};

void fill(frmEmailSettings& d, const QStringList& values) {
  QLineEdit* boxes[] = {d.txtSMTP(), d.txtPort(), d.txtUsername(), d.txtPassword(), d.txtFromName(), d.txtFromEmail()};
  for (int i = 0; i < 6; ++i) boxes[i]->setText(values.value(i));
}

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void emailRequiredFieldsInOrder_data() {
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<bool>("auth");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("message");
    const QStringList full{"smtp.example.org", "25", "me", "secret", "Reader", "me@example.org"};
    QStringList noServer = full;
    noServer[0] = "   ";
    noServer[5] = "";
    QStringList noUser = full;
    noUser[2] = "";
    noUser[3] = "";
    QStringList noSender = full;
    noSender[4] = " ";
    QTest::newRow("server first") << noServer << false << "txtSMTP"
                                  << "Please specify SMTP Email Server Name.";
    QTest::newRow("user with authentication")
        << noUser << true << "txtUsername"
        << "Please specify User Name to Authenticate your SMTP Email account. This is the same User name that you "
           "use to check your Email Inbox online.";
    QTest::newRow("sender name") << noSender << false << "txtFromName"
                                 << "Please specify \"From Name\". This will appear in Recipients' Inbox as \"Email "
                                    "Sender's Name\".";
  }

  void emailRequiredFieldsInOrder() {
    QFETCH(QStringList, values);
    QFETCH(bool, auth);
    QFETCH(QString, focused);
    QFETCH(QString, message);
    Harness h;
    frmEmailSettings dialog(h.context);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    fill(dialog, values);
    dialog.chkAuth()->setChecked(auth);
    dialog.btnOK()->click();
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Required Field is Empty!")});
    QCOMPARE(h.messages.last().text, message);
    QCOMPARE(h.messages.last().icon, MessageIcon::Exclamation);
    QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    QVERIFY(!QFile::exists(h.context.settings.configFile()));
  }

  void emailSavesWithoutCredentialsWhenAuthenticationIsOff() {
    Harness h;
    frmEmailSettings dialog(h.context);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Email Settings"));
    QVERIFY(!dialog.txtUsername()->isEnabled());
    fill(dialog, {"smtp.example.org", "587", "", "", "Reader", "me@example.org"});
    dialog.btnOK()->click();
    QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Done!")});
    QCOMPARE(h.messages.last().text, QStringLiteral("Email Settings are Successfully Saved!"));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const mSettings s = h.reloaded();
    QCOMPARE(s.smtpServer, QStringLiteral("smtp.example.org"));
    QCOMPARE(s.smtpPort, QStringLiteral("587"));
    QCOMPARE(s.smtpAuth, qint16(0));
    QCOMPARE(s.senderEmail, QStringLiteral("me@example.org"));

    // Reopened, the dialog shows what was saved; authentication enables its fields.
    frmEmailSettings again(h.context);
    QCOMPARE(again.txtPort()->text(), QStringLiteral("587"));
    again.chkAuth()->click();
    QVERIFY(again.txtUsername()->isEnabled());
    QVERIFY(again.txtPassword()->isEnabled());
    fill(again, {"smtp.example.org", "587", "me", "p4ss", "Reader", "me@example.org"});
    again.btnOK()->click();
    const mSettings t = h.reloaded();
    QCOMPARE(t.smtpAuth, qint16(1));
    QCOMPARE(t.smtpUser, QStringLiteral("me"));
    QCOMPARE(t.smtpPassword, QStringLiteral("p4ss"));
  }

  // Choosing a security puts its standard port into the box when the box is
  // empty or still holds the previous choice's standard port; a port of the
  // user's own stays. Opening the dialog never changes the stored port.
  void portFollowsTheSecurityChoice_data() {
    QTest::addColumn<QString>("storedSecurity");
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QStringList>("ports");  // the port box after each choice
    QTest::newRow("empty box") << "starttls"
                               << "" << QStringList{"tls"} << QStringList{"465"};
    QTest::newRow("defaults follow each other")
        << "starttls"
        << "587" << QStringList{"tls", "none", "starttls"} << QStringList{"465", "25", "587"};
    QTest::newRow("own port stays") << "none"
                                    << "2525" << QStringList{"tls", "starttls"} << QStringList{"2525", "2525"};
    QTest::newRow("another choice's default stays")
        << "tls"
        << "25" << QStringList{"starttls", "none"} << QStringList{"25", "25"};
    QTest::newRow("cleared box") << "tls"
                                 << "465" << QStringList{"", "none"} << QStringList{"", "25"};
  }

  void portFollowsTheSecurityChoice() {
    QFETCH(QString, storedSecurity);
    QFETCH(QString, storedPort);
    QFETCH(QStringList, choices);
    QFETCH(QStringList, ports);
    Harness h;
    h.context.settings.smtpServer = QStringLiteral("smtp.example.org");
    h.context.settings.smtpPort = storedPort;
    h.context.settings.smtpSecurity = *parseSmtpSecurity(storedSecurity);
    QVERIFY(h.context.settings.SaveEmailSettings(false));
    frmEmailSettings dialog(h.context);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.txtPort()->text(), storedPort);
    QCOMPARE(dialog.security(), *parseSmtpSecurity(storedSecurity));
    for (qsizetype i = 0; i < choices.size(); ++i) {
      if (choices[i].isEmpty()) {  // the user empties the box
        dialog.txtPort()->clear();
        continue;
      }
      // Chosen from the list with the keyboard, as a user would.
      QComboBox* box = dialog.cmbSecurity();
      box->setFocus();
      const int target = box->findData(static_cast<int>(*parseSmtpSecurity(choices[i])));
      while (box->currentIndex() != target) {
        QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
      }
      QCOMPARE(dialog.txtPort()->text(), ports[i]);
    }
  }

  // None with a login is saved only after a Yes, which is remembered for the
  // server, port and user name; No keeps the dialog open with nothing saved.
  void plainLoginNeedsAYesOnce() {
    Harness h;
    const QStringList values{"smtp.example.org", "25", "me", "secret", "Reader", "me@example.org"};
    {
      frmEmailSettings dialog(h.context);
      fill(dialog, values);
      dialog.chkAuth()->setChecked(true);
      dialog.setSecurity(SmtpSecurity::None);
      h.messages.answerYesNo(false);
      dialog.btnOK()->click();
      QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Unencrypted Login?")});
      QCOMPARE(h.messages.last().kind, ScriptedMessages::Kind::YesNo);
      QVERIFY(dialog.result() != int(QDialog::Accepted));
      QVERIFY(!QFile::exists(h.context.settings.configFile()));

      h.messages.answerYesNo(true);
      dialog.btnOK()->click();
      QCOMPARE(h.messages.titles(), (QStringList{"Unencrypted Login?", "Unencrypted Login?", "Done!"}));
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    const mSettings saved = h.reloaded();
    QCOMPARE(saved.smtpSecurity, SmtpSecurity::None);
    QVERIFY(!saved.plainLoginNeedsConsent());

    h.messages.clear();
    {
      frmEmailSettings dialog(h.context);
      QCOMPARE(dialog.security(), SmtpSecurity::None);
      dialog.btnOK()->click();
      QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Done!")});
    }
    h.messages.clear();
    {
      frmEmailSettings dialog(h.context);
      dialog.txtSMTP()->setText(QStringLiteral("relay.example.org"));
      dialog.btnOK()->click();
      QCOMPARE(h.messages.titles(), QStringList{QStringLiteral("Unencrypted Login?")});
      QVERIFY(dialog.result() != int(QDialog::Accepted));
    }
    QCOMPARE(h.reloaded().smtpServer, QStringLiteral("smtp.example.org"));
  }

  void portTakesDigitsOnly() {
    Harness h;
    frmEmailSettings dialog(h.context);
    dialog.show();
    dialog.txtPort()->clear();
    QTest::keyClicks(dialog.txtPort(), QStringLiteral("2a5-x"));
    QCOMPARE(dialog.txtPort()->text(), QStringLiteral("25"));
    QTest::keyClick(dialog.txtPort(), Qt::Key_Backspace);
    QCOMPARE(dialog.txtPort()->text(), QStringLiteral("2"));
  }

  void cancelStoresNothing() {
    Harness h;
    frmEmailSettings email(h.context);
    fill(email, {"smtp.example.org", "25", "", "", "Reader", "me@example.org"});
    email.btnCancel()->click();
    frmAppSettings app(h.context);
    app.optClose(0)->setChecked(true);
    app.btnCancel()->click();
    QVERIFY(!QFile::exists(h.context.settings.configFile()));
    QVERIFY(h.messages.empty());
  }

  void appSettingsFreshDefaultsAndSave() {
    Harness h;
    frmAppSettings dialog(h.context);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Application Settings"));
    QVERIFY(!dialog.chkStartup()->isChecked());
    QVERIFY(dialog.optClose(1)->isChecked());
    QVERIFY(!dialog.optClose(0)->isChecked());
    dialog.optClose(0)->click();
    dialog.chkStartup()->setChecked(true);
    // Everything is kept until the user sets a limit.
    QCOMPARE(dialog.spnKeepItems()->value(), 0);
    QCOMPARE(dialog.spnKeepDays()->value(), 0);
    QVERIFY(!dialog.chkKeepUnread()->isChecked());
    dialog.spnKeepItems()->setValue(200);
    dialog.spnKeepDays()->setValue(30);
    dialog.btnOK()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const mSettings s = h.reloaded();
    QCOMPARE(s.closeExits, qint16(1));
    QCOMPARE(s.closeMinimizes, qint16(0));
    QCOMPARE(s.startWithSystem, qint16(1));
    QVERIFY(!QDir(h.home.file(QStringLiteral("autostart"))).isEmpty());
    mSettings retention = h.reloaded();
    retention.LoadRetentionSettings();
    QCOMPARE(retention.retentionKeep, 200);
    QCOMPARE(retention.retentionDays, 30);
    QVERIFY(!retention.retentionIncludeUnread);

    frmAppSettings again(h.context);
    QCOMPARE(again.spnKeepItems()->value(), 200);
    QVERIFY(again.optClose(0)->isChecked());
    QVERIFY(again.chkStartup()->isChecked());
    again.chkStartup()->setChecked(false);
    again.optClose(1)->click();
    again.btnOK()->click();
    const mSettings t = h.reloaded();
    QCOMPARE(t.closeExits, qint16(0));
    QCOMPARE(t.closeMinimizes, qint16(1));
    QVERIFY(QDir(h.home.file(QStringLiteral("autostart"))).isEmpty());
  }
};

QTEST_MAIN(SettingsDialogsTest)
#include "SettingsDialogsTest.moc"
