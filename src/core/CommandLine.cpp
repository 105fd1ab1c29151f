#include "core/CommandLine.h"

namespace tidewell {

QString commandLineText(const QStringList& argumentsWithoutProgram) {
  return argumentsWithoutProgram.join(QLatin1Char(' '));
}

CommandSwitch parseCommandSwitch(const QString& wholeArgumentText) {
  if (wholeArgumentText == QLatin1String("-s")) return CommandSwitch::StartInTray;
  if (wholeArgumentText == QLatin1String("-debug")) return CommandSwitch::Debug;
  return CommandSwitch::None;
}

}  // namespace tidewell
