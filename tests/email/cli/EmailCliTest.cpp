#include "core/clsMD5.h"
#include "email/SmtpTransfer.h"
#include "feeds/ItemStore.h"
#include "support/CliRunner.h"
#include "support/SmtpTestServer.h"
#include "support/TempHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::CliRun;
using test::runCli;
using test::SmtpTestServer;
using test::TempHome;

const QString kFeed = QStringLiteral("9F8E7D6C-5B4A-4392-8170-6F5E4D3C2B1A");
const QString kAllow = QStringLiteral("--allow-plain-auth");

class EmailCli : public ::testing::Test {
 protected:
  CliRun email(const QStringList& args, const QByteArray& input = {}) {
    return runCli(QStringList{QStringLiteral("--home"), home.path(), QStringLiteral("email")} + args, input);
  }
  QJsonObject shown() {
    const CliRun run = email({QStringLiteral("show")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).object();
  }

  TempHome home;
};

// Each step changes what the one before left; the port follows the security
// as it does in the window, and a login over "none" needs the flag.
TEST_F(EmailCli, SetShowsAndStoresTheSecurity) {
  struct Step {
    const char* name;
    QStringList args;
    int exitCode;
    QString security;  // as shown afterwards
    QString port;
    QString error;  // part of stderr
  };
  const Step steps[] = {
      {"an account with a login",
       {"set", "--server", "mail.example.org", "--port", "587", "--security", "starttls", "--auth", "on", "--user",
        "reader", "--from-email", "reader@example.org", "--password-stdin"},
       0,
       "starttls",
       "587",
       {}},
      {"tls takes its port", {"set", "--security", "tls"}, 0, "tls", "465", {}},
      {"none with the login is refused", {"set", "--security", "none"}, 1, "tls", "465", "--allow-plain-auth"},
      {"unknown security", {"set", "--security", "ssl"}, 2, "tls", "465", "tls, starttls, none"},
      {"none allowed", {"set", "--security", "none", kAllow}, 0, "none", "25", {}},
      {"a port of one's own stays", {"set", "--port", "2525", "--security", "none", kAllow}, 0, "none", "2525", {}},
      {"and stays on a change", {"set", "--security", "starttls"}, 0, "starttls", "2525", {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const CliRun run = email(step.args, "s3cret\n");
    EXPECT_EQ(run.exitCode, step.exitCode) << run.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(step.error)) << run.err.toStdString();
    const QJsonObject settings = shown();
    EXPECT_EQ(settings["security"].toString(), step.security);
    EXPECT_EQ(settings["port"].toString(), step.port);
    EXPECT_TRUE(settings["password_set"].toBool());
    EXPECT_FALSE(QString::fromUtf8(run.out).contains("s3cret"));
  }
  EXPECT_EQ(shown()["plain_auth_allowed"].toBool(), false);
  ASSERT_EQ(email({"set", "--security", "none", kAllow}).exitCode, 0);
  EXPECT_EQ(shown()["plain_auth_allowed"].toBool(), true);
  // A consent given once holds for the same account without the flag.
  EXPECT_EQ(email({"set", "--from-name", "Reader"}).exitCode, 0);
  EXPECT_EQ(email({"set", "--server", "relay.example.org"}).exitCode, 1);
}

// Sending a stored item: STARTTLS required against a server without it
// fails before any login, "none" with a login needs the flag (and nothing
// connects without it), and --security chooses for this send only.
TEST_F(EmailCli, SendFollowsTheSecurityAndNeverSendsTheLoginUnasked) {
  SmtpTestServer server(SmtpTestServer::Options{"reader", "c0rrect-horse", false});
  ASSERT_TRUE(server.started()) << server.startError().toStdString();
  QFile::copy(TempHome::sourceDir() + "/data/email.tpl", home.file("email.tpl"));
  FeedItem item;
  item.title = "Tide tables";
  item.link = "https://harbour.invalid/tides";
  item.description = "<p>High water at noon</p>";
  item.id = clsMD5().GetMD5(item.link);
  ItemStore(home.paths().itemStore(kFeed)).AddItemToStore(item);
  ASSERT_EQ(email({"set", "--server", "127.0.0.1", "--port", QString::number(server.port()), "--security", "starttls",
                   "--auth", "on", "--user", "reader", "--from-email", "reader@example.org", "--password-stdin"},
                  "c0rrect-horse\n")
                .exitCode,
            0);
  const QStringList send{"send", kFeed, item.id, "--to", "friend@example.net"};

  struct Case {
    const char* name;
    QStringList extra;
    int exitCode;
    QString error;
    bool connects;
  };
  const Case cases[] = {
      {"starttls required", {}, 1, kSmtpNoStartTls, true},
      {"none without the flag", {"--security", "none"}, 1, "--allow-plain-auth", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const qsizetype before = server.commands().size();
    const CliRun run = email(send + c.extra);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(c.error)) << run.err.toStdString();
    const QStringList commands = server.commands().mid(before);
    EXPECT_EQ(!commands.isEmpty(), c.connects) << commands.join(' ').toStdString();
    EXPECT_FALSE(commands.contains("AUTH")) << commands.join(' ').toStdString();
  }
  EXPECT_TRUE(server.records("message").isEmpty());

  const CliRun run = email(send + QStringList{"--security", "none", kAllow});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QJsonObject result = QJsonDocument::fromJson(run.out).object();
  EXPECT_EQ(result["security"].toString(), "none");
  EXPECT_EQ(result["to"].toArray(), QJsonArray({"friend@example.net"}));
  const QList<QJsonObject> messages = server.waitForMessages(1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0]["authenticated"].toBool());
  EXPECT_EQ(messages[0]["decoded"].toObject()["subject"].toString(), "Tide tables");
  EXPECT_EQ(shown()["security"].toString(), "starttls") << "the stored choice stays";
}

}  // namespace
}  // namespace tidewell
