#include "app/AppContext.h"
#include "l10n/ui/frmLanguage.h"
#include "support/AppFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"
#include "support/TestHttpServer.h"
#include "support/ui/FakePlatform.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using namespace tidewell;
using tidewell::test::AppFixture;
using tidewell::test::ScriptedMessages;
using tidewell::test::TempHome;
using tidewell::test::TestHttpServer;

namespace {

const QByteArray kServed =
    "\xEF\xBB\xBFjunk before the file\r\n<XML_DIZ_INFO>\r\n"
    "<LANGUAGE_GROUP><LANGUAGE_NAME>English</LANGUAGE_NAME><TRANSLATION_ITEMS>\r\n"
    "<frmLanguage_Command2>Close</frmLanguage_Command2>\r\n</TRANSLATION_ITEMS></LANGUAGE_GROUP>\r\n"
    "<LANGUAGE_GROUP><LANGUAGE_NAME>Fran\xC3\xA7"
    "ais</LANGUAGE_NAME><TRANSLATION_ITEMS>\r\n"
    "<frmLanguage_Command2>Fermer</frmLanguage_Command2>\r\n</TRANSLATION_ITEMS></LANGUAGE_GROUP>\r\n"
    "</XML_DIZ_INFO>";

struct Harness : AppFixture {
  Harness() {
    context.userStore.setUserValue("Settings", "Language", "English");
    window = std::make_unique<frmLanguage>(context, platform, [this](const QString& language) { applied << language; });
  }
  QStringList items() const {
    QStringList out;
    for (int i = 0; i < window->Combo1()->count(); ++i) out << window->Combo1()->itemText(i);
    return out;
  }
  tidewell::test::FakePlatform platform;
  std::unique_ptr<frmLanguage> window;
  QStringList applied;
  QStringList& opened = platform.opened;
};

}  // namespace

class frmLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void listsTheShippedLanguagesAndSwitchesAtOnce() {
    Harness h;
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Change Language"));
    QCOMPARE(h.items(), (QStringList{"English", "Deutsch"}));
    QCOMPARE(h.window->Combo1()->currentText(), QStringLiteral("English"));
    h.window->Combo1_Click(1);
    QCOMPARE(h.context.userStore.userValue("Settings", "Language", ""), QStringLiteral("Deutsch"));
    QCOMPARE(h.context.currentLanguage, QStringLiteral("Deutsch"));
    QCOMPARE(h.applied, QStringList{"Deutsch"});
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Sprache ändern"));
    QCOMPARE(h.window->Command2()->text(), QStringLiteral("Schließen"));
    QCOMPARE(h.context.languages.getMessages("MSG_DELETE3"), QStringLiteral("Fortfahren?"));
    // And back: English captions and messages return.
    h.window->Combo1_Click(0);
    QCOMPARE(h.window->Command2()->text(), QStringLiteral("Close"));
    QCOMPARE(h.context.languages.getMessages("MSG_DELETE3"), QStringLiteral("Continue?"));
  }

  void thePromptChangesNothing() {
    Harness h;
    h.window->Combo1()->addItem(frmLanguage::kPrompt);
    h.window->Combo1_Click(h.window->Combo1()->count() - 1);
    QVERIFY(h.applied.isEmpty());
    QCOMPARE(h.context.userStore.userValue("Settings", "Language", ""), QStringLiteral("English"));
  }

  void updateStoresTheFileFromItsFirstBracket() {
    Harness h;
    TestHttpServer server;
    server.route(QStringLiteral("/lang/1/Localization.txt"), {.body = kServed, .contentType = "text/plain"});
    h.window->languageBaseUrl = server.url(QStringLiteral("/lang/")).toString();
    QCOMPARE(h.window->updateUrl(), server.url(QStringLiteral("/lang/1/Localization.txt")).toString());
    QVERIFY(h.window->Command1_Click());
    const QByteArray stored = h.home.read(QStringLiteral("Localization.txt"));
    QVERIFY(stored.startsWith("<XML_DIZ_INFO>"));
    QVERIFY(stored.endsWith("</XML_DIZ_INFO>\r\n"));
    QCOMPARE(h.items(), (QStringList{"English", QStringLiteral("Français")}));
    QCOMPARE(
        h.messages.texts(),
        QStringList{QStringLiteral("The latest language file was downloaded. Choose your language from the list.")});
  }

  void aFailedUpdateKeepsTheFile_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("error page") << 404 << QByteArray("<html>Not found</html>");
    QTest::newRow("no translation items") << 200 << QByteArray("<XML_DIZ_INFO></XML_DIZ_INFO>");
  }

  void aFailedUpdateKeepsTheFile() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    Harness h;
    h.home.write(QStringLiteral("Localization.txt"), "mine");
    TestHttpServer server;
    server.route(QStringLiteral("*"), {.status = status, .body = body});
    h.window->languageBaseUrl = server.url(QStringLiteral("/lang/")).toString();
    QVERIFY(!h.window->Command1_Click());
    QCOMPARE(h.home.read(QStringLiteral("Localization.txt")), QByteArray("mine"));
    QVERIFY(h.messages.empty());
  }

  void translateOpensTheFile() {
    Harness h;
    h.window->Command3()->click();
    QCOMPARE(h.opened, QStringList{h.context.languages.localizationFile()});
  }

  void theBaseUrlIsABuildConstant() {
    Harness h;
    QVERIFY(h.window->updateUrl().startsWith("https://"));
    QVERIFY(h.window->updateUrl().endsWith("/Localization.txt"));
  }
};

QTEST_MAIN(frmLanguageTest)
#include "frmLanguageTest.moc"
