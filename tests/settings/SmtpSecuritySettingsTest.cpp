#include "core/Utilities.h"
#include "core/mINI.h"
#include "settings/SmtpSecurity.h"
#include "settings/mSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

using namespace tidewell;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

QByteArray stored(const QString& text) { return util::EncodeText(text, true).toLatin1(); }

// An "email" section as a configuration saved before the security choice.
QByteArray legacySection(const QString& port, bool authenticate, const QByteArray& extra = {}) {
  return "[email]\r\nsv=" + stored(QStringLiteral("mail.example.org")) + "\r\npo=" + stored(port) +
         "\r\nau=" + stored(authenticate ? QStringLiteral("1") : QStringLiteral("0")) +
         "\r\nus=" + stored(QStringLiteral("reader")) + "\r\n" + extra;
}

class SmtpSecuritySettings : public ::testing::Test {
 protected:
  QString readIni(const QString& key) {
    mINI ini;
    ini.SetINIFile(home.paths().appCfg(), mSettings::kBufferSize);
    return ini.ReadINI(QStringLiteral("email"), key, QStringLiteral("<none>")).valueOr(QStringLiteral("<error>"));
  }
  void configure(mSettings& s, SmtpSecurity security) {
    s.smtpServer = QStringLiteral("mail.example.org");
    s.smtpPort = QStringLiteral("25");
    s.smtpAuth = 1;
    s.smtpUser = QStringLiteral("reader");
    s.smtpPassword = QStringLiteral("secret");
    s.senderEmail = QStringLiteral("reader@example.org");
    s.smtpSecurity = security;
  }

  TempHome home;
  ScriptedMessages messages;
  mSettings settings{home.paths(), messages};
};

// A configuration from before the choice sends as it did wherever that was
// safe: 465 stays TLS, a plain relay without a login stays plain, and a
// login (or the submission port) is only ever sent after STARTTLS.
TEST_F(SmtpSecuritySettings, FilesWithoutTheChoiceGetABackwardCompatibleOne) {
  struct Case {
    const char* name;
    QByteArray file;
    SmtpSecurity expected;
  };
  const Case cases[] = {
      {"fresh installation", {}, SmtpSecurity::StartTls},
      {"relay on 25 without login", legacySection("25", false), SmtpSecurity::None},
      {"relay on 2525 without login", legacySection("2525", false), SmtpSecurity::None},
      {"login on 25", legacySection("25", true), SmtpSecurity::StartTls},
      {"submission without login", legacySection("587", false), SmtpSecurity::StartTls},
      {"submission with login", legacySection("587", true), SmtpSecurity::StartTls},
      {"smtps with login", legacySection("465", true), SmtpSecurity::Tls},
      {"smtps without login", legacySection(" 465 ", false), SmtpSecurity::Tls},
      {"a stored choice wins over the port", legacySection("465", true, "sec=starttls\r\n"), SmtpSecurity::StartTls},
      {"stored choice in capitals", legacySection("25", true, "sec= NONE \r\n"), SmtpSecurity::None},
      {"an unknown word reads as no choice", legacySection("25", false, "sec=ssl\r\n"), SmtpSecurity::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    home.write(QStringLiteral("AppCfg.cfg"), c.file);
    settings.smtpSecurity = SmtpSecurity::Tls == c.expected ? SmtpSecurity::None : SmtpSecurity::Tls;
    settings.LoadEmailSettings();
    EXPECT_EQ(smtpSecurityName(settings.smtpSecurity), smtpSecurityName(c.expected));
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(SmtpSecuritySettings, TheChoiceIsANewPlainKeyBesideTheClassicOnes) {
  for (const SmtpSecurity security : {SmtpSecurity::Tls, SmtpSecurity::StartTls, SmtpSecurity::None}) {
    SCOPED_TRACE(smtpSecurityName(security).toStdString());
    configure(settings, security);
    ASSERT_TRUE(settings.SaveEmailSettings(false));
    EXPECT_EQ(readIni(QStringLiteral("sec")), smtpSecurityName(security));
    // The classic keys keep their stored form, so an older reader sees the same account.
    EXPECT_EQ(readIni(QStringLiteral("sv")), QString::fromLatin1(stored(QStringLiteral("mail.example.org"))));
    EXPECT_EQ(readIni(QStringLiteral("po")), QString::fromLatin1(stored(QStringLiteral("25"))));
    EXPECT_EQ(readIni(QStringLiteral("au")), QString::fromLatin1(stored(QStringLiteral("1"))));

    mSettings reopened(home.paths(), messages);
    reopened.LoadEmailSettings();
    EXPECT_EQ(reopened.smtpSecurity, security);
    EXPECT_EQ(reopened.smtpServer, settings.smtpServer);
    EXPECT_EQ(reopened.smtpPort, settings.smtpPort);
    EXPECT_EQ(reopened.smtpAuth, 1);
  }
  // Without a consent ever given, the file holds no key for one.
  EXPECT_EQ(readIni(QStringLiteral("plainok")), QStringLiteral("<none>"));
}

// A consent to an unencrypted login holds for the server, port and user name
// it was given for, across restarts, and for nothing else.
TEST_F(SmtpSecuritySettings, AConsentHoldsForItsConfigurationOnly) {
  configure(settings, SmtpSecurity::None);
  ASSERT_TRUE(settings.SaveEmailSettings(false));
  EXPECT_TRUE(settings.plainLoginNeedsConsent());
  ASSERT_TRUE(settings.SavePlainLoginConsent());
  EXPECT_FALSE(settings.plainLoginNeedsConsent());

  struct Case {
    const char* name;
    void (*change)(mSettings&);
    bool asksAgain;
  };
  const Case cases[] = {
      {"unchanged, after a restart", [](mSettings&) {}, false},
      {"another password", [](mSettings& s) { s.smtpPassword = QStringLiteral("other"); }, false},
      {"server name in capitals", [](mSettings& s) { s.smtpServer = QStringLiteral("MAIL.example.org"); }, false},
      {"another server", [](mSettings& s) { s.smtpServer = QStringLiteral("relay.example.org"); }, true},
      {"another port", [](mSettings& s) { s.smtpPort = QStringLiteral("2525"); }, true},
      {"another user", [](mSettings& s) { s.smtpUser = QStringLiteral("writer"); }, true},
      {"login switched off", [](mSettings& s) { s.smtpAuth = 0; }, false},
      {"encrypted", [](mSettings& s) { s.smtpSecurity = SmtpSecurity::StartTls; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mSettings reopened(home.paths(), messages);
    reopened.LoadEmailSettings();
    c.change(reopened);
    EXPECT_EQ(reopened.plainLoginNeedsConsent(), c.asksAgain);
  }

  // Leaving the unencrypted login ends the consent: coming back asks again.
  settings.smtpSecurity = SmtpSecurity::StartTls;
  ASSERT_TRUE(settings.SaveEmailSettings(false));
  settings.smtpSecurity = SmtpSecurity::None;
  ASSERT_TRUE(settings.SaveEmailSettings(false));
  mSettings reopened(home.paths(), messages);
  reopened.LoadEmailSettings();
  EXPECT_TRUE(reopened.plainLoginNeedsConsent());
}

TEST_F(SmtpSecuritySettings, ConfirmPlainLoginAsksUntilTheAnswerIsYes) {
  configure(settings, SmtpSecurity::None);
  ASSERT_TRUE(settings.SaveEmailSettings(false));

  messages.answerYesNo(false);
  EXPECT_FALSE(ConfirmPlainLogin(settings, messages));
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().kind, ScriptedMessages::Kind::YesNo);
  EXPECT_EQ(messages.last().title, kPlainLoginTitle);
  EXPECT_EQ(readIni(QStringLiteral("plainok")), QStringLiteral("<none>")) << "a No is not remembered";

  messages.answerYesNo(true);
  EXPECT_TRUE(ConfirmPlainLogin(settings, messages));
  EXPECT_EQ(messages.entries().size(), 2u);
  EXPECT_TRUE(ConfirmPlainLogin(settings, messages));
  EXPECT_EQ(messages.entries().size(), 2u) << "a Yes is asked once";

  // An encrypted session or no login never asks.
  settings.smtpSecurity = SmtpSecurity::StartTls;
  settings.smtpServer = QStringLiteral("other.example.org");
  EXPECT_TRUE(ConfirmPlainLogin(settings, messages));
  settings.smtpSecurity = SmtpSecurity::None;
  settings.smtpAuth = 0;
  EXPECT_TRUE(ConfirmPlainLogin(settings, messages));
  EXPECT_EQ(messages.entries().size(), 2u);
}

}  // namespace
