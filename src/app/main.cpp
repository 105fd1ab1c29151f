#include "app/AppContext.h"
#include "app/SingleInstance.h"
#include "app/ui/frmMain.h"
#include "app/ui/frmSplash.h"
#include "core/NetworkProxy.h"
#include "core/ui/DesktopPlatform.h"
#include "core/ui/QtUserMessages.h"

#include "TidewellConfig.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tidewell"));
  QApplication::setQuitOnLastWindowClosed(false);
  // The desktop matches windows to the launcher by this name (Wayland app id).
  QGuiApplication::setDesktopFileName(QString::fromUtf8(tidewell::config::kDesktopId));
  QIcon icon;
  for (const char* size : {"16", "22", "24", "32", "48", "64", "128", "256"})
    icon.addFile(QStringLiteral(":/icons/tidewell-%1.png").arg(QLatin1String(size)));
  QApplication::setWindowIcon(icon);

  tidewell::QtUserMessages messages;
  tidewell::AppContext context(tidewell::AppPaths::forProgram(QCoreApplication::applicationDirPath()),
                               tidewell::UserStore(qEnvironmentVariable("TIDEWELL_SETTINGS_DIR")), messages);
  context.commandSwitch = tidewell::parseCommandSwitch(tidewell::commandLineText(app.arguments().mid(1)));
  context.settings.LoadProxySettings();
  tidewell::NetworkProxy::apply(context.settings.proxy);

  // A second start shows the running program instead of starting another
  // scheduler on the same files.
  tidewell::SingleInstance instance(tidewell::SingleInstance::serverNameFor(context.paths.appFolder()));
  if (instance.start(app.arguments().mid(1)) == tidewell::SingleInstance::Role::HandedOver) return 0;
  bool showRequested = false;

  tidewell::DesktopPlatform platform;
  tidewell::frmSplash splash(context);
  std::unique_ptr<tidewell::frmMain> mainWindow;
  QObject::connect(&instance, &tidewell::SingleInstance::commandLineReceived, &app, [&] {
    if (mainWindow)
      mainWindow->showFromAnotherStart();
    else
      showRequested = true;  // still on the splash: shown once the window exists
  });
  splash.setOnElapsed([&] {
    mainWindow = std::make_unique<tidewell::frmMain>(context, platform);
    messages.setParent(mainWindow.get());
    QObject::connect(mainWindow.get(), &tidewell::frmMain::unloaded, &app, [&] {
      splash.close();
      QCoreApplication::quit();
    });
    mainWindow->Form_Load();
    if (!mainWindow->inSystemTray()) mainWindow->show();
    if (showRequested) mainWindow->showFromAnotherStart();
  });
  splash.start();
  const int code = QApplication::exec();
  messages.setParent(nullptr);
  mainWindow.reset();
  return code;
}
