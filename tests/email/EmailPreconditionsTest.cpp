#include "email/EmailPreconditions.h"
#include "settings/mSettings.h"

#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::ScriptedMessages;
using test::TempHome;

void saveServer(const AppPaths& paths, const QString& server) {
  ScriptedMessages quiet;
  mSettings settings(paths, quiet);
  settings.smtpServer = server;
  settings.smtpPort = "2525";
  settings.smtpAuth = 1;
  settings.smtpUser = "me";
  settings.smtpPassword = "pw";
  settings.senderName = "Me";
  settings.senderEmail = "me@example.org";
  ASSERT_TRUE(settings.SaveEmailSettings(false).ok());
}

TEST(EmailPreconditions, BlankServerOffersTheSettingsOrExplains) {
  TempHome home;
  saveServer(home.paths(), "   ");
  for (const bool yes : {true, false}) {
    ScriptedMessages messages;
    messages.answerYesNo(yes);
    mSettings settings(home.paths(), messages);
    int settingsShown = 0;
    EXPECT_FALSE(CheckEmailReady(settings, home.paths(), messages, [&] { ++settingsShown; }));
    EXPECT_EQ(settingsShown, yes ? 1 : 0);
    ASSERT_EQ(messages.entries().size(), yes ? 1u : 2u);
    EXPECT_EQ(messages.entries()[0].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_EQ(messages.entries()[0].title, "Email Server Settings not configured!");
    EXPECT_EQ(messages.entries()[0].text,
              "Email Server Settings are not properly configured. Would you like to set Email Server Settings now?");
    if (!yes) {
      EXPECT_EQ(messages.last().title, "Cannot Send Email!");
      EXPECT_EQ(messages.last().text,
                "Application cannot send Email. Please configure Email Server from \"Email Settings\" panel and try "
                "again.");
      EXPECT_EQ(messages.last().icon, MessageIcon::Exclamation);
    }
  }
}

TEST(EmailPreconditions, MissingTemplateIsReportedAndAPresentOneLetsTheWindowOpen) {
  TempHome home;
  QTemporaryDir emptyProgramFolder;
  const AppPaths withoutTemplate(home.path(), emptyProgramFolder.path());
  saveServer(withoutTemplate, "smtp.example.org");

  ScriptedMessages messages;
  mSettings settings(withoutTemplate, messages);
  EXPECT_FALSE(CheckEmailReady(settings, withoutTemplate, messages, {}));
  ASSERT_EQ(messages.entries().size(), 1u);
  EXPECT_EQ(messages.last().title, "Error!");
  EXPECT_EQ(messages.last().text,
            "Required Email Message object file is missing or hidden. Please reinstall application to resolve this "
            "issue.");
  EXPECT_EQ(messages.last().icon, MessageIcon::Exclamation);

  messages.clear();
  EXPECT_TRUE(CheckEmailReady(settings, home.paths(), messages, {}));  // the shipped email.tpl
  EXPECT_TRUE(messages.empty());
  const SmtpSettings smtp = ToSmtpSettings(settings);
  EXPECT_EQ(smtp.host, "smtp.example.org");
  EXPECT_EQ(smtp.port, "2525");
  EXPECT_TRUE(smtp.authenticate);
  EXPECT_EQ(smtp.userName, "me");
  EXPECT_EQ(smtp.password, "pw");
  EXPECT_EQ(smtp.senderName, "Me");
  EXPECT_EQ(smtp.senderAddress, "me@example.org");
}

}  // namespace
}  // namespace tidewell
