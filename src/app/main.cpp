#include "app/AppContext.h"
#include "app/ui/frmMain.h"
#include "app/ui/frmSplash.h"
#include "core/ui/QtUserMessages.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tidewell"));
  QApplication::setQuitOnLastWindowClosed(false);
  QIcon icon;
  for (const char* size : {"16", "22", "24", "32"})
    icon.addFile(QStringLiteral(":/icons/app-%1.png").arg(QLatin1String(size)));
  QApplication::setWindowIcon(icon);

  tidewell::QtUserMessages messages;
  tidewell::AppContext context(tidewell::AppPaths::forProgram(QCoreApplication::applicationDirPath()),
                               tidewell::UserStore(qEnvironmentVariable("TIDEWELL_SETTINGS_DIR")), messages);
  context.commandSwitch = tidewell::parseCommandSwitch(tidewell::commandLineText(app.arguments().mid(1)));

  tidewell::frmSplash splash(context);
  std::unique_ptr<tidewell::frmMain> mainWindow;
  splash.setOnElapsed([&] {
    mainWindow = std::make_unique<tidewell::frmMain>(context);
    messages.setParent(mainWindow.get());
    QObject::connect(mainWindow.get(), &tidewell::frmMain::unloaded, &app, [&] {
      splash.close();
      QCoreApplication::quit();
    });
    mainWindow->Form_Load();
    if (!mainWindow->inSystemTray()) mainWindow->show();
  });
  splash.start();
  const int code = QApplication::exec();
  messages.setParent(nullptr);
  mainWindow.reset();
  return code;
}
