#include "app/AppContext.h"
#include "email/SmtpTransfer.h"
#include "email/ui/frmSendEmail.h"

#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/SmtpTestServer.h"
#include "support/TempHome.h"
#include "support/ui/FakePlatform.h"

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTcpServer>
#include <QtTest>

#include <memory>

using namespace tidewell;
using test::AppFixture;
using test::ScriptedMessages;
using test::SmtpTestServer;
using test::TempHome;

namespace {

const QString kFailedPrefix = QStringLiteral("Failed to Send Email due to following error: \r\n\r\n");

// A window over a fresh application folder whose e-mail settings point at port.
struct Fixture : AppFixture {
  explicit Fixture(int port) {
    context.settings.smtpServer = QStringLiteral("127.0.0.1");
    context.settings.smtpPort = QString::number(port);
    context.settings.smtpAuth = 0;
    context.settings.smtpSecurity = SmtpSecurity::None;  // the test servers speak plain
    context.settings.senderName = QStringLiteral("Feed Reader");
    context.settings.senderEmail = QStringLiteral("reader@example.org");
    [[maybe_unused]] const Status saved = context.settings.SaveEmailSettings(false);
    EmailItem item{QStringLiteral("Daily"), QStringLiteral("Big news"), QStringLiteral("<p>The <b>whole</b> story</p>"),
                   QStringLiteral("https://example.org/news/1")};
    window = std::make_unique<frmSendEmail>(context, platform, item);
    QObject::connect(window->ucStatus(), &QStatusBar::messageChanged,
                     [this](const QString& text) { statusTexts << text; });
  }

  tidewell::test::FakePlatform platform;
  std::unique_ptr<frmSendEmail> window;
  QStringList statusTexts;
};

}  // namespace

class frmSendEmailTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithTheInitialTexts() {
    Fixture f(25);
    frmSendEmail& w = *f.window;
    QCOMPARE(w.objectName(), QStringLiteral("frmSendEmail"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Send Email"));
    // The subject and the line above the fields name the item being sent.
    QCOMPARE(w.txtSubject()->text(), QStringLiteral("Big news"));
    QCOMPARE(w.findChild<QLabel*>("lblItem")->text(), QStringLiteral("Big news"));
    QCOMPARE(w.findChild<QLabel*>("lblToHint")->text(),
             QStringLiteral("Separate Multiple Recipients by semi-colon (;) character."));
    QCOMPARE(w.txtMessage()->toPlainText(),
             QStringLiteral("Hello,\n\nI have found an interesting article that you may want to look at, which is "
                            "attached below.\n"));
    QVERIFY(w.optSend(0)->isChecked());
    QVERIFY(!w.optSend(1)->isChecked());
    QCOMPARE(w.optSend(0)->text(), QStringLiteral("Send Complete Item Description."));
    QCOMPARE(w.optSend(1)->text(), QStringLiteral("Just Send Item Link."));
    QCOMPARE(w.ucStatus()->currentMessage(), QStringLiteral("Idle."));
    for (const char* name : {"txtTo", "txtSubject", "txtMessage", "optSend", "btnOK", "btnCancel", "ucStatus"}) {
      QVERIFY2(w.findChild<QWidget*>(QLatin1String(name)) != nullptr, name);
    }
    QCOMPARE(w.ChannelName(), QStringLiteral("Daily"));
  }

  void offlineSendsNothing() {
    Fixture f(25);
    f.platform.connected = false;
    f.window->txtTo()->setText(QStringLiteral("friend@example.net"));
    QTest::mouseClick(f.window->btnOK(), Qt::LeftButton);
    QCOMPARE(f.messages.entries().size(), size_t{1});
    QCOMPARE(f.messages.last().title, QStringLiteral("Working Offline?"));
    QCOMPARE(f.messages.last().text,
             QStringLiteral("Application faled to access Internet connection on this machine. Please make sure "
                            "you're connected to Internet and try again ..."));
    QCOMPARE(f.messages.last().icon, MessageIcon::Exclamation);
    QVERIFY(!f.window->sending());
    QCOMPARE(f.window->ucStatus()->currentMessage(), QStringLiteral("Idle."));
  }

  // An empty or malformed "To:" is the user's to mend: an exclamation box
  // with a title, the focus back in the field, nothing sent.
  void recipientProblemsAreAskedForFirst() {
    for (const QString& to : {QString(), QStringLiteral("  ; "), QStringLiteral("friend@example.net; nobody")}) {
      Fixture f(SmtpTestServer::unusedPort());
      f.window->show();
      f.window->txtTo()->setText(to);
      QTest::mouseClick(f.window->btnOK(), Qt::LeftButton);
      QVERIFY(!f.window->sending());
      QCOMPARE(f.messages.entries().size(), size_t{1});
      QCOMPARE(f.messages.last().title, QStringLiteral("Recipient Address?"));
      QCOMPARE(f.messages.last().icon, MessageIcon::Exclamation);
      QVERIFY(!f.messages.last().text.isEmpty());
    }
  }

  void refusalsAndServerFailuresShowTheExplanation() {
    struct Case {
      const char* name;
      QString to;
      QString subject;
      QString mentioned;
    };
    const Case cases[] = {
        {"injected header", QStringLiteral("friend@example.net"), QStringLiteral("Hi\nBcc: x@example.com"),
         QStringLiteral("subject")},
        {"server down", QStringLiteral("friend@example.net"), QString(), QStringLiteral("connect")},
    };
    for (const Case& c : cases) {
      Fixture f(SmtpTestServer::unusedPort());
      f.window->txtTo()->setText(c.to);
      if (!c.subject.isEmpty()) {
        f.window->txtSubject()->setText(c.subject);
      }
      QTest::mouseClick(f.window->btnOK(), Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(!f.window->sending(), 20000);
      QVERIFY2(!f.messages.empty(), c.name);
      const ScriptedMessages::Entry& shown = f.messages.last();
      QVERIFY2(shown.text.startsWith(kFailedPrefix), c.name);
      QVERIFY2(shown.text.contains(c.mentioned), qPrintable(shown.text));
      QCOMPARE(shown.icon, MessageIcon::None);
      QCOMPARE(f.window->ucStatus()->currentMessage(), QStringLiteral("Error: Failed to send Email!"));
      QVERIFY(f.window->btnOK()->isEnabled());
      QVERIFY(f.window->btnCancel()->isEnabled());
    }
  }

  void closingDuringASendAbortsIt() {
    QTcpServer silent;  // takes the connection, never answers
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    Fixture f(silent.serverPort());
    f.window->txtTo()->setText(QStringLiteral("friend@example.net"));
    QTest::mouseClick(f.window->btnOK(), Qt::LeftButton);
    QVERIFY(f.window->sending());
    QTest::qWait(100);  // the window keeps answering meanwhile
    f.window->close();
    f.window.reset();
    QVERIFY(f.messages.empty());
  }

  // None with a login: the send asks first; No sends nothing at all (the
  // server sees no connection), Yes is asked once.
  void plainLoginIsAskedOnceAndNoSendsNothing() {
    SmtpTestServer server(SmtpTestServer::Options{"reader", "c0rrect-horse", false});
    QVERIFY2(server.started(), qPrintable(server.startError()));
    Fixture f(server.port());
    mSettings& s = f.context.settings;
    s.smtpAuth = 1;
    s.smtpUser = QStringLiteral("reader");
    s.smtpPassword = QStringLiteral("c0rrect-horse");
    QVERIFY(s.SaveEmailSettings(false));
    frmSendEmail& w = *f.window;
    w.txtTo()->setText(QStringLiteral("friend@example.net"));

    f.messages.answerYesNo(false);
    QTest::mouseClick(w.btnOK(), Qt::LeftButton);
    QVERIFY(!w.sending());
    QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Unencrypted Login?")});
    QCOMPARE(w.ucStatus()->currentMessage(), QStringLiteral("Idle."));
    QVERIFY(w.btnOK()->isEnabled());
    QVERIFY(server.commands().isEmpty());

    f.messages.answerYesNo(true);
    for (int send = 0; send < 2; ++send) {
      QTest::mouseClick(w.btnOK(), Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(!w.sending(), 20000);
      QCOMPARE(f.messages.last().text, QStringLiteral("Email Successfully Sent!"));
    }
    QCOMPARE(f.messages.titles(), (QStringList{"Unencrypted Login?", "Unencrypted Login?", "Done!", "Done!"}));
    const QList<QJsonObject> received = server.waitForMessages(2);
    QCOMPARE(received.size(), 2);
    QVERIFY(received[1]["authenticated"].toBool());
  }

  // STARTTLS required against a server without it: the window says why in
  // the message table's words, and the server never saw a login.
  void aSessionThatCannotBeSecuredSaysSo() {
    SmtpTestServer server(SmtpTestServer::Options{"reader", "c0rrect-horse", false});
    QVERIFY2(server.started(), qPrintable(server.startError()));
    Fixture f(server.port());
    mSettings& s = f.context.settings;
    s.smtpAuth = 1;
    s.smtpUser = QStringLiteral("reader");
    s.smtpPassword = QStringLiteral("c0rrect-horse");
    s.smtpSecurity = SmtpSecurity::StartTls;
    QVERIFY(s.SaveEmailSettings(false));
    f.window->txtTo()->setText(QStringLiteral("friend@example.net"));
    QTest::mouseClick(f.window->btnOK(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->sending(), 20000);
    QCOMPARE(f.messages.entries().size(), size_t{1});
    QCOMPARE(f.messages.last().text, kFailedPrefix + kSmtpNoStartTls);
    QVERIFY(!server.commands().contains(QStringLiteral("AUTH")));
    QVERIFY(server.records(QStringLiteral("message")).isEmpty());
  }

  void sendsInBothModesAndCanSendAgain() {
    SmtpTestServer server;
    QVERIFY2(server.started(), qPrintable(server.startError()));
    Fixture f(server.port());
    frmSendEmail& w = *f.window;
    w.show();
    w.txtTo()->setText(QStringLiteral("one@example.net; two@example.com"));
    w.txtMessage()->setPlainText(QStringLiteral("Look at this\nsoon"));
    w.optSend(1)->setChecked(true);

    QTest::mouseClick(w.btnOK(), Qt::LeftButton);
    QVERIFY(w.sending());
    QVERIFY(!w.btnOK()->isEnabled());
    QVERIFY(!w.btnCancel()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!w.sending(), 20000);

    QCOMPARE(f.messages.last().text, QStringLiteral("Email Successfully Sent!"));
    QCOMPARE(f.messages.last().title, QStringLiteral("Done!"));
    QCOMPARE(f.messages.last().icon, MessageIcon::Information);
    QCOMPARE(w.ucStatus()->currentMessage(), QStringLiteral("Idle."));
    QVERIFY(f.statusTexts.contains(QStringLiteral("Sending ... (100%)")));
    QVERIFY(f.statusTexts.contains(QStringLiteral("Sending message ...")));
    QCOMPARE(w.txtTo()->selectedText(), w.txtTo()->text());
    QVERIFY(w.btnOK()->isEnabled());
    QVERIFY(w.isVisible());

    QList<QJsonObject> received = server.waitForMessages(1);
    QCOMPARE(received.size(), 1);
    QCOMPARE(received[0]["rcpt_tos"].toArray(), QJsonArray({"one@example.net", "two@example.com"}));
    QJsonObject decoded = received[0]["decoded"].toObject();
    QCOMPARE(decoded["subject"].toString(), QStringLiteral("Big news"));
    // HTML with a plain-text alternative for readers that show no HTML.
    QCOMPARE(decoded["content_type"].toString(), QStringLiteral("multipart/alternative"));
    QCOMPARE(decoded["parts"].toArray(), QJsonArray({"text/plain", "text/html"}));
    const QString plain = decoded["text_body"].toString();
    QVERIFY2(plain.contains(QStringLiteral("View Online: https://example.org/news/1")), qPrintable(plain));
    QVERIFY(!plain.contains(QLatin1Char('<')));
    QCOMPARE(decoded["from_name"].toString(), QStringLiteral("Feed Reader"));
    QString body = decoded["body"].toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QVERIFY(body.contains(
        QStringLiteral("View Online: <a href='https://example.org/news/1'>https://example.org/news/1</a>")));
    QVERIFY(body.contains(QStringLiteral("Look at this\n<br>\nsoon")));
    QVERIFY(!body.contains(QStringLiteral("<b>whole</b>")));

    // Again, with the whole description and no personal message.
    w.optSend(0)->setChecked(true);
    w.txtMessage()->clear();
    QTest::mouseClick(w.btnOK(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.sending(), 20000);
    QCOMPARE(f.messages.last().text, QStringLiteral("Email Successfully Sent!"));
    received = server.waitForMessages(2);
    QCOMPARE(received.size(), 2);
    body = received[1]["decoded"].toObject()["body"].toString();
    QVERIFY(body.contains(QStringLiteral("<p>The <b>whole</b> story</p>")));
    QVERIFY(!body.contains(QStringLiteral("- None -")));
    QVERIFY(!body.contains(QStringLiteral("View Online")));
  }
};

QTEST_MAIN(frmSendEmailTest)
#include "frmSendEmailTest.moc"
