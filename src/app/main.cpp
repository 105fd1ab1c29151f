#include "app/AppContext.h"
#include "core/ui/QtUserMessages.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tidewell::QtUserMessages messages;
  tidewell::AppContext context(tidewell::AppPaths::forProgram(QCoreApplication::applicationDirPath()),
                               tidewell::UserStore(qEnvironmentVariable("TIDEWELL_SETTINGS_DIR")), messages);
  context.commandSwitch = tidewell::parseCommandSwitch(tidewell::commandLineText(app.arguments().mid(1)));
  QMainWindow window;
  window.setWindowTitle(context.identity.programName);
  window.show();
  return QApplication::exec();
}
