// Runs twice on a private session bus: once with an unlocked gnome-keyring
// (TIDEWELL_EXPECT_KEYRING=1) and once without any Secret Service.
#include "core/Utilities.h"
#include "core/mINI.h"
#include "settings/KeyringVault.h"
#include "settings/mSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QTest>

#include <map>

#include <gtest/gtest.h>

using namespace tidewell;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;

namespace {

bool keyringExpected() { return qEnvironmentVariable("TIDEWELL_EXPECT_KEYRING") == QLatin1String("1"); }

// A keyring that can be switched off, for the moves between the two places.
class FakeVault : public PasswordVault {
 public:
  bool running = true;
  std::map<QString, QString> secrets;
  bool available() const override { return running; }
  std::optional<QString> read(const QString& account) const override {
    const auto found = secrets.find(account);
    if (!running || found == secrets.end()) return std::nullopt;
    return found->second;
  }
  bool write(const QString& account, const QString& secret) override {
    if (running) secrets[account] = secret;
    return running;
  }
  bool remove(const QString& account) override { return running && secrets.erase(account) > 0; }
};

class KeyringTest : public ::testing::Test {
 protected:
  QString readIni(const QString& key) {
    mINI ini;
    ini.SetINIFile(home.paths().appCfg(), mSettings::kBufferSize);
    return ini.ReadINI(QStringLiteral("email"), key, QStringLiteral("<none>")).valueOr(QStringLiteral("<error>"));
  }
  QString scrambled(const QString& text) { return util::EncodeText(text, true); }
  mSettings store(PasswordVault* vault) {
    mSettings settings(home.paths(), messages);
    settings.setPasswordVault(vault);
    return settings;
  }
  void savePassword(PasswordVault* vault, const QString& password) {
    mSettings settings = store(vault);
    settings.LoadEmailSettings();
    settings.smtpServer = QStringLiteral("smtp.example.org");
    settings.smtpPassword = password;
    ASSERT_TRUE(settings.SaveEmailSettings(false));
  }
  QString loadedPassword(PasswordVault* vault) {
    mSettings settings = store(vault);
    settings.LoadEmailSettings();
    return settings.smtpPassword;
  }

  TempHome home;
  ScriptedMessages messages;
};

TEST_F(KeyringTest, TheDesktopKeyringKeepsThePassword) {
  KeyringVault keyring(QStringLiteral("Tidewell test"));
  if (keyringExpected()) {
    // gnome-keyring takes a moment to claim its name on the bus.
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyring.available(); }, 20000));
  } else {
    ASSERT_FALSE(keyring.available());
  }

  // A password from before the keyring, in the stored form.
  savePassword(nullptr, QStringLiteral("old s3cret"));
  ASSERT_EQ(readIni(QStringLiteral("pw")), scrambled(QStringLiteral("old s3cret")));
  EXPECT_EQ(loadedPassword(&keyring), QStringLiteral("old s3cret"));

  // The next save moves it (when there is a keyring), and it reads back.
  mSettings settings = store(&keyring);
  settings.LoadEmailSettings();
  ASSERT_TRUE(settings.SaveEmailSettings(false));
  if (keyringExpected()) {
    EXPECT_EQ(readIni(QStringLiteral("pw")), scrambled(QString()));
    EXPECT_EQ(readIni(QStringLiteral("pwk")), QStringLiteral("1"));
    EXPECT_EQ(keyring.read(settings.passwordAccount()), QStringLiteral("old s3cret"));
    EXPECT_FALSE(home.read(QStringLiteral("AppCfg.cfg")).contains(scrambled(QStringLiteral("old s3cret")).toLatin1()));
  } else {
    EXPECT_EQ(readIni(QStringLiteral("pw")), scrambled(QStringLiteral("old s3cret")));
    EXPECT_EQ(readIni(QStringLiteral("pwk")), QStringLiteral("<none>"));  // the file keeps its layout
  }
  EXPECT_EQ(loadedPassword(&keyring), QStringLiteral("old s3cret"));
  EXPECT_TRUE(messages.empty());
  if (keyringExpected()) keyring.remove(settings.passwordAccount());
}

TEST_F(KeyringTest, MovesBetweenTheKeyringAndTheFile) {
  FakeVault vault;
  savePassword(&vault, QStringLiteral("first"));
  EXPECT_EQ(readIni(QStringLiteral("pw")), scrambled(QString()));
  EXPECT_EQ(loadedPassword(&vault), QStringLiteral("first"));

  // The keyring is gone: the settings still save, and the kept password stays where it is.
  vault.running = false;
  EXPECT_EQ(loadedPassword(&vault), QString());
  savePassword(&vault, QString());
  EXPECT_EQ(readIni(QStringLiteral("pwk")), QStringLiteral("1"));
  vault.running = true;
  EXPECT_EQ(loadedPassword(&vault), QStringLiteral("first"));

  // A new password typed while there is no keyring goes to the file.
  vault.running = false;
  savePassword(&vault, QStringLiteral("second"));
  EXPECT_EQ(readIni(QStringLiteral("pw")), scrambled(QStringLiteral("second")));
  EXPECT_EQ(readIni(QStringLiteral("pwk")), QStringLiteral("0"));
  vault.running = true;
  EXPECT_EQ(loadedPassword(&vault), QStringLiteral("second"));
}

}  // namespace
