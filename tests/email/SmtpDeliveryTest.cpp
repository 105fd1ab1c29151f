#include "email/EmailBody.h"
#include "email/SmtpClient.h"

#include "support/SmtpTestServer.h"
#include "support/TempHome.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::SmtpTestServer;

struct Outcome {
  bool finished = false;
  bool succeeded = false;
  QString explanation;
  QList<int> percents;
  QStringList statuses;
};

// Sends through a real client and waits on a local event loop, as the window does.
Outcome sendAndWait(const SmtpSettings& settings, const SmtpMail& mail) {
  SmtpClient client;
  Outcome outcome;
  QEventLoop loop;
  QObject::connect(&client, &SmtpClient::progress, [&](int percent) { outcome.percents << percent; });
  QObject::connect(&client, &SmtpClient::status, [&](const QString& text) { outcome.statuses << text; });
  QObject::connect(&client, &SmtpClient::sendSucceeded, [&] {
    outcome.finished = outcome.succeeded = true;
    loop.quit();
  });
  QObject::connect(&client, &SmtpClient::sendFailed, [&](const QString& explanation) {
    outcome.finished = true;
    outcome.explanation = explanation;
    loop.quit();
  });
  const Status started = client.send(settings, mail, "Tidewell test");
  if (!started) {
    outcome.finished = true;
    outcome.explanation = started.error().description;
    return outcome;
  }
  EXPECT_TRUE(client.isSending());
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_FALSE(client.isSending());
  return outcome;
}

SmtpSettings settingsFor(int port) {
  SmtpSettings settings;
  settings.host = "127.0.0.1";
  settings.port = QString::number(port);
  settings.security = SmtpSecurity::None;  // the test servers speak plain unless a test says otherwise
  settings.senderAddress = "sender@example.org";
  settings.senderName = "Feed Reader";
  settings.connectTimeoutSeconds = 10;
  settings.stallTimeoutSeconds = 10;
  return settings;
}

QString shippedTemplate() {
  QFile file(test::TempHome::sourceDir() + "/data/email.tpl");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  return QString::fromUtf8(file.readAll());
}

QString normalizedLines(QString text) { return text.replace("\r\n", "\n"); }

class SmtpDelivery : public ::testing::Test {
 protected:
  void requireStarted(SmtpTestServer& server) { ASSERT_TRUE(server.started()) << server.startError().toStdString(); }
};

TEST_F(SmtpDelivery, BodiesOfBothModesArriveIntactWithTheirHeaders) {
  SmtpTestServer server;
  requireStarted(server);
  const QString tpl = shippedTemplate();
  const QString kSubject = "A plain subject,  long enough to be folded: " + QString("word ").repeated(20) + "end";

  struct Case {
    const char* name;
    EmailSendMode mode;
    QString personalMessage;
    QStringList expectedParts;
  };
  const QString link = "https://example.org/story?id=7&src=rss";
  const Case cases[] = {
      {"full, no message", EmailSendMode::FullDescription, "", {"<p>The whole <b>story</b> \u2014 caf\u00e9.</p>"}},
      {"link, two lines",
       EmailSendMode::LinkOnly,
       "Hello,\nhave a look.",
       {"Hello,\n<br>\nhave a look.",
        "View Online: <a "
        "href='https://example.org/story?id=7&amp;src=rss'>https://example.org/story?id=7&amp;src=rss</a>"}},
  };
  int expectedCount = 0;
  for (const Case& c : cases) {
    EmailBodyInput input;
    input.fromName = "Feed Reader";
    input.personalMessage = c.personalMessage;
    input.title = "Story title";
    input.description = "<p>The whole <b>story</b> \u2014 caf\u00e9.</p>";
    input.link = link;
    input.mode = c.mode;
    const QString body = BuildEmailBody(tpl, input, "Tidewell");
    const Outcome outcome = sendAndWait(settingsFor(server.port()), {"reader@example.net", kSubject, body});
    ASSERT_TRUE(outcome.succeeded) << c.name << ": " << outcome.explanation.toStdString();
    EXPECT_EQ(outcome.percents.last(), 100) << c.name;
    EXPECT_TRUE(std::is_sorted(outcome.percents.begin(), outcome.percents.end())) << c.name;
    EXPECT_TRUE(outcome.statuses.contains("Message sent.")) << c.name;

    const QList<QJsonObject> messages = server.waitForMessages(++expectedCount);
    ASSERT_EQ(messages.size(), expectedCount) << c.name;
    const QJsonObject message = messages.last();
    const QJsonObject decoded = message["decoded"].toObject();
    const QString received = normalizedLines(decoded["body"].toString());
    EXPECT_EQ(received.trimmed(), normalizedLines(body).trimmed()) << c.name;
    for (const QString& part : c.expectedParts) {
      EXPECT_TRUE(received.contains(part)) << c.name << ": " << part.toStdString();
    }
    EXPECT_TRUE(received.contains("Story title")) << c.name;
    EXPECT_TRUE(received.contains("This Email is manually sent using Tidewell.")) << c.name;
    EXPECT_FALSE(received.contains("[[")) << c.name;

    EXPECT_EQ(message["mail_from"].toString(), "sender@example.org");
    EXPECT_LT(message["max_line_octets"].toInt(), 998) << c.name;
    EXPECT_FALSE(message["bare_lf"].toBool()) << c.name;
    EXPECT_EQ(decoded["content_type"].toString(), "text/html");
    EXPECT_EQ(decoded["charset"].toString().toLower(), "utf-8");
    EXPECT_EQ(decoded["mime_version"].toString(), "1.0");
    EXPECT_EQ(decoded["subject"].toString(), kSubject);
    EXPECT_TRUE(decoded["message_id"].toString().endsWith("@example.org>"));
    EXPECT_FALSE(decoded["date"].toString().isEmpty());
    EXPECT_TRUE(decoded["defects"].toArray().isEmpty()) << c.name;
  }
}

TEST_F(SmtpDelivery, TwoRecipientsAndNonAsciiTextsArriveDecoded) {
  SmtpTestServer server;
  requireStarted(server);
  SmtpSettings settings = settingsFor(server.port());
  settings.senderName = "J\u00f6rg M\u00fcller \u2013 \u65e5\u672c";
  const QString subject =
      "An Article from \"Caf\u00e9 \u00e0 la cr\u00e8me \U0001F600\" " + QString("long ").repeated(20);
  const Outcome outcome =
      sendAndWait(settings, {" first@example.net ;; Second <second@example.com>; ", subject, "<p>x</p>"});
  ASSERT_TRUE(outcome.succeeded) << outcome.explanation.toStdString();

  const QList<QJsonObject> messages = server.waitForMessages(1);
  ASSERT_EQ(messages.size(), 1);
  const QJsonObject message = messages.first();
  EXPECT_EQ(message["rcpt_tos"].toArray(), QJsonArray({"first@example.net", "second@example.com"}));
  const QJsonObject decoded = message["decoded"].toObject();
  EXPECT_EQ(decoded["subject"].toString(), subject);
  EXPECT_EQ(decoded["from_name"].toString(), settings.senderName);
  EXPECT_EQ(decoded["from_address"].toString(), "sender@example.org");
  EXPECT_EQ(decoded["to"].toArray(), QJsonArray({"first@example.net", "second@example.com"}));
  EXPECT_TRUE(decoded["defects"].toArray().isEmpty());
  EXPECT_LT(message["max_line_octets"].toInt(), 998);
}

TEST_F(SmtpDelivery, LoginHappensOnlyWhenSwitchedOn) {
  SmtpTestServer server(SmtpTestServer::Options{"reader", "c0rrect-horse", true});
  requireStarted(server);
  SmtpSettings settings = settingsFor(server.port());
  settings.userName = "reader";
  settings.password = "c0rrect-horse";

  settings.authenticate = false;
  Outcome outcome = sendAndWait(settings, {"a@example.net", "off", "<p>off</p>"});
  ASSERT_TRUE(outcome.succeeded) << outcome.explanation.toStdString();
  QList<QJsonObject> messages = server.waitForMessages(1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_FALSE(messages[0]["authenticated"].toBool());
  EXPECT_TRUE(server.records("auth").isEmpty()) << "no AUTH command when the login is off";

  settings.authenticate = true;
  outcome = sendAndWait(settings, {"a@example.net", "on", "<p>on</p>"});
  ASSERT_TRUE(outcome.succeeded) << outcome.explanation.toStdString();
  EXPECT_TRUE(outcome.statuses.contains("Authenticating ..."));
  messages = server.waitForMessages(2);
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1]["authenticated"].toBool());
  EXPECT_EQ(messages[1]["login"].toString(), "reader");
  EXPECT_EQ(server.records("auth").size(), 1);
}

TEST_F(SmtpDelivery, StartTlsIsUsedWhenOfferedAndTheCertificateIsChecked) {
  SmtpTestServer::Options options;
  options.startTls = true;
  SmtpTestServer server(options);
  requireStarted(server);
  SmtpSettings settings = settingsFor(server.port());
  settings.security = SmtpSecurity::StartTls;

  // The self-signed certificate is not trusted by the system: no mail goes out in the clear instead.
  Outcome outcome = sendAndWait(settings, {"a@example.net", "untrusted", "<p>x</p>"});
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_TRUE(outcome.explanation.contains("certificate", Qt::CaseInsensitive)) << outcome.explanation.toStdString();
  EXPECT_EQ(server.records("starttls").size(), 1);

  settings.caFile = server.certificateFile();
  outcome = sendAndWait(settings, {"a@example.net", "trusted", "<p>x</p>"});
  ASSERT_TRUE(outcome.succeeded) << outcome.explanation.toStdString();
  EXPECT_TRUE(outcome.statuses.contains("Securing connection ..."));
  const QList<QJsonObject> messages = server.waitForMessages(1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0]["tls"].toBool());
  EXPECT_EQ(messages[0]["decoded"].toObject()["subject"].toString(), "trusted");
}

TEST_F(SmtpDelivery, ImplicitTlsSpeaksTlsFromTheFirstByte) {
  SmtpTestServer::Options options;
  options.implicitTls = true;
  SmtpTestServer server(options);
  requireStarted(server);
  SmtpSettings settings = settingsFor(server.port());
  settings.caFile = server.certificateFile();
  settings.security = SmtpSecurity::Tls;  // on a free port: the choice, not the number, decides
  const Outcome outcome = sendAndWait(settings, {"a@example.net", "over tls", "<p>x</p>"});
  ASSERT_TRUE(outcome.succeeded) << outcome.explanation.toStdString();
  const QList<QJsonObject> messages = server.waitForMessages(1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(server.records("starttls").isEmpty());
  EXPECT_EQ(messages[0]["decoded"].toObject()["subject"].toString(), "over tls");
}

// What the server is told, by the security chosen and what the server
// offers. A login is always on: where the session cannot be secured, the
// server must never see AUTH (nor anything after it).
TEST_F(SmtpDelivery, TheSecurityChoiceDecidesWhatTheServerSees) {
  enum class Offer { Plain, StartTls, ImplicitTls };
  struct Case {
    const char* name;
    Offer offer;
    SmtpSecurity security;
    bool trustCertificate;
    bool sent;
    QString explanationStart;  // of a failure
    QStringList expectedCommands;
  };
  const Case cases[] = {
      {"starttls required, server without it",
       Offer::Plain,
       SmtpSecurity::StartTls,
       true,
       false,
       kSmtpNoStartTls,
       {"EHLO"}},
      {"starttls required, server with it",
       Offer::StartTls,
       SmtpSecurity::StartTls,
       true,
       true,
       {},
       {"EHLO", "STARTTLS", "EHLO+tls", "AUTH+tls", "MAIL+tls", "RCPT+tls", "DATA+tls", "QUIT+tls"}},
      {"starttls required, untrusted certificate",
       Offer::StartTls,
       SmtpSecurity::StartTls,
       false,
       false,
       kSmtpNotSecured,
       {"EHLO", "STARTTLS"}},
      {"tls, server with it",
       Offer::ImplicitTls,
       SmtpSecurity::Tls,
       true,
       true,
       {},
       {"EHLO+tls", "AUTH+tls", "MAIL+tls", "RCPT+tls", "DATA+tls", "QUIT+tls"}},
      {"tls, plain server", Offer::Plain, SmtpSecurity::Tls, true, false, kSmtpNotSecured, {}},
      {"none, server offering starttls",
       Offer::StartTls,
       SmtpSecurity::None,
       true,
       true,
       {},
       {"EHLO", "AUTH", "MAIL", "RCPT", "DATA", "QUIT"}},
  };
  for (const Case& c : cases) {
    SmtpTestServer::Options options{"reader", "c0rrect-horse", true};
    options.startTls = c.offer == Offer::StartTls;
    options.implicitTls = c.offer == Offer::ImplicitTls;
    SmtpTestServer server(options);
    requireStarted(server);
    SmtpSettings settings = settingsFor(server.port());
    settings.security = c.security;
    settings.authenticate = true;
    settings.userName = "reader";
    settings.password = "c0rrect-horse";
    if (c.trustCertificate) settings.caFile = server.certificateFile();

    const Outcome outcome = sendAndWait(settings, {"a@example.net", c.name, "<p>x</p>"});
    ASSERT_TRUE(outcome.finished) << c.name;
    EXPECT_EQ(outcome.succeeded, c.sent) << c.name << ": " << outcome.explanation.toStdString();
    if (c.sent) {
      const QList<QJsonObject> messages = server.waitForMessages(1);
      ASSERT_EQ(messages.size(), 1) << c.name;
      EXPECT_TRUE(messages[0]["authenticated"].toBool()) << c.name;
    } else {
      EXPECT_TRUE(outcome.explanation.startsWith(c.explanationStart))
          << c.name << ": " << outcome.explanation.toStdString();
    }
    const QStringList commands = server.commands();
    EXPECT_EQ(commands, c.expectedCommands) << c.name << ": " << commands.join(' ').toStdString();
  }
}

TEST_F(SmtpDelivery, FailuresCarryTheExplanationButNeverThePassword) {
  SmtpTestServer server(SmtpTestServer::Options{"reader", "c0rrect-horse", false});
  requireStarted(server);
  SmtpSettings settings = settingsFor(server.port());
  settings.authenticate = true;
  settings.userName = "reader";
  settings.password = "wrong-password";

  struct Case {
    const char* name;
    SmtpSettings settings;
    QString mentioned;
  };
  SmtpSettings noLogin = settings;
  noLogin.authenticate = false;
  SmtpSettings down = settings;
  down.port = QString::number(SmtpTestServer::unusedPort());
  const Case cases[] = {
      {"wrong password", settings, "535"},
      {"login required", noLogin, "530"},
      {"server down", down, "onnect"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = sendAndWait(c.settings, {"a@example.net", "s", "<p>b</p>"});
    ASSERT_TRUE(outcome.finished) << c.name;
    EXPECT_FALSE(outcome.succeeded) << c.name;
    EXPECT_TRUE(outcome.explanation.contains(c.mentioned)) << c.name << ": " << outcome.explanation.toStdString();
    EXPECT_FALSE(outcome.explanation.contains("wrong-password")) << c.name;
    for (const QString& status : outcome.statuses) {
      EXPECT_FALSE(status.contains("wrong-password")) << c.name;
    }
  }
  EXPECT_TRUE(server.records("message").isEmpty());
}

// A server that takes the connection and never says a word.
TEST_F(SmtpDelivery, ASilentServerEndsInAFailureOrAnAbortNeverAHang) {
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  SmtpSettings settings = settingsFor(silent.serverPort());
  // Waiting for the greeting counts as connecting.
  settings.connectTimeoutSeconds = 1;
  const Outcome stalled = sendAndWait(settings, {"a@example.net", "s", "<p>b</p>"});
  EXPECT_TRUE(stalled.finished);
  EXPECT_FALSE(stalled.succeeded);
  EXPECT_TRUE(stalled.explanation.contains("timed out")) << stalled.explanation.toStdString();

  settings.connectTimeoutSeconds = 60;
  {
    SmtpClient client;
    QString explanation;
    QEventLoop loop;
    QObject::connect(&client, &SmtpClient::sendFailed, [&](const QString& text) {
      explanation = text;
      loop.quit();
    });
    ASSERT_TRUE(client.send(settings, {"a@example.net", "s", "<p>b</p>"}).ok());
    QTimer::singleShot(200, &client, &SmtpClient::abort);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(explanation, "The send was cancelled.");
  }
  {
    // Going away in the middle of a send (the window closed) aborts it.
    SmtpClient client;
    ASSERT_TRUE(client.send(settings, {"a@example.net", "s", "<p>b</p>"}).ok());
  }
}

TEST_F(SmtpDelivery, RefusedMailsNeverReachTheServer) {
  SmtpTestServer server;
  requireStarted(server);
  const SmtpSettings settings = settingsFor(server.port());
  const SmtpMail refused[] = {
      {"a@example.net", "Hello\r\nBcc: victim@example.com", "<p>x</p>"},
      {"a@example.net\r\nBcc: victim@example.com", "Hello", "<p>x</p>"},
      {"a@example.net; someone", "Hello", "<p>x</p>"},
  };
  for (const SmtpMail& mail : refused) {
    SmtpClient client;
    const Status status = client.send(settings, mail);
    EXPECT_FALSE(status.ok()) << mail.to.toStdString();
    EXPECT_FALSE(client.isSending());
  }
  SmtpSettings badName = settings;
  badName.senderName = "Me\nBcc: victim@example.com";
  EXPECT_FALSE(sendAndWait(badName, {"a@example.net", "s", "b"}).succeeded);

  // The server is reachable: a good mail afterwards is the only one it sees.
  ASSERT_TRUE(sendAndWait(settings, {"a@example.net", "ok", "<p>ok</p>"}).succeeded);
  const QList<QJsonObject> messages = server.waitForMessages(1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_FALSE(messages[0]["raw"].toString().contains("victim"));
  EXPECT_EQ(server.records("message").size(), 1);
}

}  // namespace
}  // namespace tidewell
