#pragma once

#include <QString>
#include <QStringList>

namespace tidewell {

enum class CommandSwitch { None, StartInTray, Debug };

// The whole argument text (the arguments after the program, joined by one
// blank) must equal "-s" or "-debug" exactly; anything else is no switch.
QString commandLineText(const QStringList& argumentsWithoutProgram);
CommandSwitch parseCommandSwitch(const QString& wholeArgumentText);

}  // namespace tidewell
